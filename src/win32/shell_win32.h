// Command lines, ShellExecute, the Windows Script Host shortcut object and WinINet's
// connectivity test.
#pragma once

#include "services/shell.h"

namespace sonorin::win32 {

class Win32Shell : public Shell {
  public:
    bool run(const std::string& commandLine, WindowShow show) override;
    bool open(const std::string& verb, const std::string& file, const std::string& parameters,
              const std::string& folder) override;
    std::string desktopFolder() override;
    bool createShortcut(const std::string& linkPath, const ShortcutSpec& shortcut) override;
    bool checkConnection(const std::string& url) override;
    void endProcess(int exitCode) override;
};

// False when the address's host name is sure not to resolve: the connectivity test hands only
// the others to WinINet. Safe on any thread.
bool hostMayResolve(const std::string& url);

}  // namespace sonorin::win32
