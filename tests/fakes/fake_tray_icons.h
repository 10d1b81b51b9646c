// A notification area that logs every call and lets a test deliver messages to a window:
// through the installed replacement procedure when there is one, else to "the previous
// procedure", which only counts them.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "services/tray_icons.h"
#include "ui/form.h"

namespace sonorin {

class FakeTrayIcons : public TrayIcons {
  public:
    void hook(ui::Form& form, WindowProc proc) override {
        log.push_back("hook " + form.name());
        procs[&form] = std::move(proc);
    }
    void unhook(ui::Form& form) override {
        log.push_back("unhook " + form.name());
        procs.erase(&form);
    }
    void addIcon(ui::Form& form, unsigned callbackMessage, const std::string& tip) override {
        log.push_back("add " + form.name() + " " + std::to_string(callbackMessage) + " " + tip);
        icons[form.name()] = tip;
    }
    void deleteIcon(ui::Form& form) override {
        log.push_back("delete " + form.name());
        icons.erase(form.name());
    }
    void setForeground(ui::Form& form) override { log.push_back("foreground " + form.name()); }
    void showNotice(ui::Form& form, const std::string& title, const std::string& text) override {
        log.push_back("notice " + form.name() + " " + title + " " + text);
    }
    unsigned taskbarCreatedMessage() override { return kTaskbarCreated; }

    // Sends msg to the form's window as the system would; true when the replacement
    // procedure handled it.
    bool deliver(ui::Form& form, unsigned msg, std::intptr_t lParam) {
        auto it = procs.find(&form);
        if (it != procs.end()) {
            // The procedure may unhook itself: keep it alive for the call.
            WindowProc proc = it->second;
            if (proc(msg, 0, lParam))
                return true;
        }
        ++passedOn[form.name()];
        return false;
    }
    bool hooked(ui::Form& form) const { return procs.count(&form) != 0; }

    static constexpr unsigned kTaskbarCreated = 0xC123;
    std::vector<std::string> log;
    std::map<std::string, std::string> icons;  // window name -> tip
    std::map<std::string, int> passedOn;
    std::map<ui::Form*, WindowProc> procs;
};

}  // namespace sonorin
