// The power actions on a fake that only logs: flags, privilege and the version check.
#include <gtest/gtest.h>

#include "fakes/fake_power.h"
#include "shutdown/ExitWindow.h"

namespace sonorin {
namespace {

using Log = std::vector<std::string>;

TEST(ExitWindowTest, OnTheNtFamilyShutdownAndRestartEnableThePrivilegeFirst) {
    FakePowerApi api;
    ExitWindow::ShutdownWindows(api, true);
    ExitWindow::RebootWindows(api, true);
    EXPECT_EQ(api.log, (Log{"version", "privilege", "exit 5", "version", "privilege", "exit 6"}));
}

TEST(ExitWindowTest, LogOffNeverTouchesTheToken) {
    FakePowerApi api;
    ExitWindow::LogOffWindows(api, true);
    EXPECT_EQ(api.log, (Log{"exit 4"}));
}

TEST(ExitWindowTest, OutsideTheNtFamilyNoTokenIsTouched) {
    FakePowerApi api;
    api.id = 1;
    ExitWindow::ShutdownWindows(api, true);
    ExitWindow::RebootWindows(api, true);
    EXPECT_EQ(api.log, (Log{"version", "exit 5", "version", "exit 6"}));
}

TEST(ExitWindowTest, WithoutForceTheFlagsAreThePlainActions) {
    FakePowerApi api;
    api.id = 1;
    ExitWindow::ShutdownWindows(api, false);
    ExitWindow::RebootWindows(api, false);
    ExitWindow::LogOffWindows(api, false);
    EXPECT_EQ(api.log, (Log{"version", "exit 1", "version", "exit 2", "exit 0"}));
}

}  // namespace
}  // namespace sonorin
