// The Windows shell: command lines, documents and web pages, the desktop shortcut and the
// connectivity test.
#pragma once

#include <string>

namespace sonorin {

enum class WindowShow { Hidden, Normal };

struct ShortcutSpec {
    std::string targetPath;
    std::string arguments;
    std::string workingDirectory;
};

class Shell {
  public:
    virtual ~Shell() = default;
    // Starts a command line and returns at once; false when it could not be started.
    virtual bool run(const std::string& commandLine, WindowShow show) = 0;
    // ShellExecute with the given verb ("open", "Open"); parameters and folder may be empty.
    virtual bool open(const std::string& verb, const std::string& file,
                      const std::string& parameters, const std::string& folder) = 0;
    // The current user's desktop folder, or empty when the shell cannot tell.
    virtual std::string desktopFolder() = 0;
    // Creates (or replaces) the shell link at linkPath; false on any failure.
    virtual bool createShortcut(const std::string& linkPath, const ShortcutSpec& shortcut) = 0;
    // InternetCheckConnection with "force a connection".
    virtual bool checkConnection(const std::string& url) = 0;
    // Ends this process at once with the given exit code (after the caller's own clean-up).
    virtual void endProcess(int exitCode) = 0;
};

}  // namespace sonorin
