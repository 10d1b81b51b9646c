// Loads, shows, hides and unloads the program's windows, and keeps the list of loaded ones
// in load order. A window is loaded when first touched: its native window is created hidden
// and its load handler runs.
#pragma once

#include <functional>
#include <vector>

#include "ui/form.h"
#include "ui/window_system.h"

namespace sonorin::ui {

class FormSet {
  public:
    explicit FormSet(WindowSystem& windowSystem) : windowSystem_(windowSystem) {}

    WindowSystem& windowSystem() const { return windowSystem_; }

    void load(Form& form);
    // Loads when needed, then shows; a modal show returns when the form is hidden or unloaded.
    void show(Form& form, bool modal = false);
    void hide(Form& form);
    // Runs the close and unload handlers, then destroys the native window. False when a
    // handler cancelled. Unloading a window that is not loaded does nothing. A window that a
    // handler unloads while the session ends is unloaded with kUnloadAppWindows too.
    bool unload(Form& form, int unloadMode = kUnloadFormCode);

    const std::vector<Form*>& loadedForms() const { return loaded_; }

    // Told after a form has been unloaded, so its owner can give the next touch a fresh one.
    std::function<void(Form&)> onUnloaded;

  private:
    WindowSystem& windowSystem_;
    std::vector<Form*> loaded_;
    std::vector<Form*> unloading_;
    // Unloads for the end of the session that are running now.
    int sessionEndingUnloads_ = 0;
};

}  // namespace sonorin::ui
