// The system calls behind the power actions: the platform's version, the shutdown privilege
// and ExitWindowsEx. Results are not reported; the program relies only on their effects.
#pragma once

namespace sonorin {

class PowerApi {
  public:
    virtual ~PowerApi() = default;
    // The platform id of GetVersionEx (2 on the NT family).
    virtual int platformId() = 0;
    // Opens the process token (adjust + query), looks up "SeShutdownPrivilege" on the local
    // system, enables it and closes the token.
    virtual void enableShutdownPrivilege() = 0;
    virtual void exitWindowsEx(unsigned flags) = 0;
};

}  // namespace sonorin
