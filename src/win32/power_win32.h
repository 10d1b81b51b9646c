// GetVersionEx, the shutdown privilege of the process token, and ExitWindowsEx.
#pragma once

#include "services/power.h"

namespace sonorin::win32 {

class Win32PowerApi : public PowerApi {
  public:
    int platformId() override;
    void enableShutdownPrivilege() override;
    void exitWindowsEx(unsigned flags) override;
};

}  // namespace sonorin::win32
