// The default extension a save dialog gives a name typed without one.
#include "services/prompts.h"

#include <gtest/gtest.h>

namespace sonorin {
namespace {

std::string extensionOf(const std::string& filter) {
    SaveDialogRequest request;
    request.filter = filter;
    return request.defaultExtension();
}

TEST(SaveDialogRequest, DefaultExtensionIsTheFirstPatternsWhenItNamesOne) {
    EXPECT_EQ(extensionOf("WAV file (*.wav*)|*.wav"), "wav");
    EXPECT_EQ(extensionOf("WAV|*.wav;*.wave|All|*.*"), "wav");
    EXPECT_EQ(extensionOf("All files|*.*|WAV|*.wav"), "");
    EXPECT_EQ(extensionOf("Any|*"), "");
    EXPECT_EQ(extensionOf("Odd|*.tar.gz"), "");
    EXPECT_EQ(extensionOf("No pattern"), "");
    EXPECT_EQ(extensionOf(""), "");
}

}  // namespace
}  // namespace sonorin
