#include "ui/form_set.h"

#include <algorithm>

namespace sonorin::ui {

void FormSet::load(Form& form) {
    if (form.loaded())
        return;
    windowSystem_.createWindow(form);
    form.setLoaded(true);
    loaded_.push_back(&form);
    form.Form_Load();
}

void FormSet::show(Form& form, bool modal) {
    load(form);
    if (!form.loaded())
        return;  // the load handler unloaded it again
    form.setModal(modal);
    // A window the window system placed itself (centred at creation) comes inside the work
    // area too, as does one restored onto a screen that has changed meanwhile.
    if (form.windowState() == WindowState::Normal)
        form.move(form.left(), form.top(), form.width(), form.height());
    form.setVisibleFlag(true);
    if (modal) {
        windowSystem_.runModal(form);
        form.setModal(false);
    }
}

void FormSet::hide(Form& form) {
    load(form);
    form.setVisibleFlag(false);
}

bool FormSet::unload(Form& form, int unloadMode) {
    if (!form.loaded())
        return true;
    // A handler that unloads its own window again (directly or through another window) must
    // not run the handlers twice.
    if (std::find(unloading_.begin(), unloading_.end(), &form) != unloading_.end())
        return true;
    // The windows a handler unloads while the session ends go because the session ends too,
    // and are told so: none of them may stop to ask the user.
    if (sessionEndingUnloads_ > 0)
        unloadMode = kUnloadAppWindows;
    const bool endsSession = unloadMode == kUnloadAppWindows;
    sessionEndingUnloads_ += endsSession ? 1 : 0;
    unloading_.push_back(&form);
    int cancel = 0;
    form.Form_QueryUnload(cancel, unloadMode);
    if (cancel == 0)
        form.Form_Unload(cancel);
    unloading_.erase(std::find(unloading_.begin(), unloading_.end(), &form));
    sessionEndingUnloads_ -= endsSession ? 1 : 0;
    if (cancel != 0)
        return false;
    if (!form.loaded())
        return true;

    form.setVisibleFlag(false);
    form.setLoaded(false);
    form.setModal(false);
    loaded_.erase(std::find(loaded_.begin(), loaded_.end(), &form));
    windowSystem_.destroyWindow(form);
    if (onUnloaded)
        onUnloaded(form);
    return true;
}

}  // namespace sonorin::ui
