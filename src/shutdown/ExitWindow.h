// The power actions: shut down, restart or log off, on behalf of the timed-shutdown window.
// They report nothing; a refused request simply leaves the computer running.
#pragma once

#include "services/power.h"

namespace sonorin::ExitWindow {

inline constexpr unsigned kLogOff = 0;
inline constexpr unsigned kShutdown = 1;
inline constexpr unsigned kReboot = 2;
inline constexpr unsigned kForce = 4;

bool IsWinNT(PowerApi& api);
void EnableShutdownPrivilege(PowerApi& api);
void ShutdownWindows(PowerApi& api, bool force);
void RebootWindows(PowerApi& api, bool force);
void LogOffWindows(PowerApi& api, bool force);

}  // namespace sonorin::ExitWindow
