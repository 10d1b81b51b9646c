// A shell that records every request and answers from its fields.
#pragma once

#include <string>
#include <vector>

#include "fakes/event_log.h"
#include "services/shell.h"

namespace sonorin {

class FakeShell : public Shell {
  public:
    struct Run {
        std::string commandLine;
        WindowShow show;
    };
    struct Open {
        std::string verb, file, parameters, folder;
    };
    struct Shortcut {
        std::string linkPath;
        ShortcutSpec shortcut;
    };

    bool run(const std::string& commandLine, WindowShow show) override {
        runs.push_back({commandLine, show});
        note("run " + commandLine);
        return runWorks;
    }
    bool open(const std::string& verb, const std::string& file, const std::string& parameters,
              const std::string& folder) override {
        opens.push_back({verb, file, parameters, folder});
        note("open " + verb + " " + file);
        return true;
    }
    std::string desktopFolder() override { return desktop; }
    bool createShortcut(const std::string& linkPath, const ShortcutSpec& shortcut) override {
        shortcuts.push_back({linkPath, shortcut});
        note("createShortcut " + linkPath);
        return shortcutWorks;
    }
    bool checkConnection(const std::string& url) override {
        checkedUrls.push_back(url);
        note("checkConnection " + url);
        return online;
    }
    void endProcess(int exitCode) override {
        endedWith.push_back(exitCode);
        note("endProcess " + std::to_string(exitCode));
    }

    std::vector<Run> runs;
    std::vector<Open> opens;
    std::vector<Shortcut> shortcuts;
    std::vector<std::string> checkedUrls;
    std::vector<int> endedWith;
    std::string desktop = "C:\\users\\me\\Desktop";
    bool online = true;
    bool shortcutWorks = true;
    bool runWorks = true;
    EventLog* events = nullptr;

  private:
    void note(const std::string& call) {
        if (events)
            events->add("shell " + call);
    }
};

}  // namespace sonorin
