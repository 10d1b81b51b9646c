// A window system with no windows: records what was created, shown modal and popped up.
// A modal show returns at once after running `whileModal`, which plays the user's part.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "fakes/fake_browser.h"
#include "ui/window_system.h"
#include "ui/form.h"

namespace sonorin {

class FakeWindowSystem : public WindowSystem {
  public:
    void createWindow(ui::Form& form) override {
        created.push_back(form.name());
        // A real window reports its outer size once it exists.
        form.syncFromNative(form.left(), form.top(), form.clientWidth() + 120,
                            form.clientHeight() + 690);
        for (ui::Control* c : form.controls())
            if (auto* pane = dynamic_cast<ui::WebBrowserPane*>(c))
                pane->setEngine(&browser);
    }
    void destroyWindow(ui::Form& form) override { destroyed.push_back(form.name()); }
    void runModal(ui::Form& form) override {
        modal.push_back(form.name());
        if (whileModal)
            whileModal(form);
    }
    void doEvents() override {
        ++doEventsCalls;
        if (onDoEvents)
            onDoEvents();
    }
    void popupMenu(ui::Form&, ui::MenuItem& menu) override {
        popups.push_back(menu.name());
        if (onPopup)
            onPopup(menu);
    }
    void activate(ui::Form& form) override { activated.push_back(form.name()); }
    double screenWidth() override { return screenW; }
    double screenHeight() override { return screenH; }
    std::uintptr_t nativeHandle(const ui::Form& form) override {
        auto it = nativeHandles.find(form.name());
        return it == nativeHandles.end() ? 0 : it->second;
    }

    FakeBrowser browser;
    std::vector<std::string> created, destroyed, modal, popups, activated;
    std::function<void(ui::Form&)> whileModal;
    // Plays the messages that arrive while a handler lets them through.
    std::function<void()> onDoEvents;
    // Plays the user's part while a pop-up menu is open.
    std::function<void(ui::MenuItem&)> onPopup;
    std::map<std::string, std::uintptr_t> nativeHandles;  // by form name; others have none
    int doEventsCalls = 0;
    double screenW = 1280 * 15.0, screenH = 800 * 15.0;
};

}  // namespace sonorin
