#include "shutdown/ExitWindow.h"

namespace sonorin::ExitWindow {
namespace {

constexpr int kPlatformNT = 2;

unsigned withForce(unsigned action, bool force) {
    return force ? action + kForce : action;
}

}  // namespace

bool IsWinNT(PowerApi& api) {
    return api.platformId() == kPlatformNT;
}

void EnableShutdownPrivilege(PowerApi& api) {
    api.enableShutdownPrivilege();
}

// Shutting down and restarting need the shutdown privilege on the NT family; older systems
// have no tokens.
void ShutdownWindows(PowerApi& api, bool force) {
    if (IsWinNT(api))
        EnableShutdownPrivilege(api);
    api.exitWindowsEx(withForce(kShutdown, force));
}

void RebootWindows(PowerApi& api, bool force) {
    if (IsWinNT(api))
        EnableShutdownPrivilege(api);
    api.exitWindowsEx(withForce(kReboot, force));
}

void LogOffWindows(PowerApi& api, bool force) {
    api.exitWindowsEx(withForce(kLogOff, force));
}

}  // namespace sonorin::ExitWindow
