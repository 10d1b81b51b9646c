#include "app/program.h"

#include "app/AudioRecorder.h"
#include "base/datetext.h"

namespace sonorin {

Program::Program(Platform& p)
    : platform(p),
      forms(p.windows),
      wave(p.mci, p.files, p.prompts, recorderState),
      module1(p.tray, p.windows, TrayForm, TrayMenu) {
    forms.onUnloaded = [this](ui::Form& f) { dropUnloaded(f); };
}

Program::~Program() {
    forms.onUnloaded = nullptr;
}

void Program::start() {
    AudioRecorder& main = form<AudioRecorder>();
    if (main.loaded() && !main.hiddenAtStart())
        main.show();
}

void Program::ensureDesktopShortcut() {
    const std::string desktop = platform.shell.desktopFolder();
    if (desktop.empty())
        return;
    const std::string link = desktop + "\\星澜网络收音机.lnk";
    if (!platform.files.findFirst(link, false).empty())
        return;  // never touch an existing one, even one that points elsewhere
    const std::string folder = programFolder();
    const std::string exe = folder + "\\sonorin.exe";
    platform.shell.createShortcut(link, {exe, exe, folder});
}

void Program::goToTrayIfMinimized() {
    if (TrayForm && TrayForm->windowState() == ui::WindowState::Minimized) {
        module1.AddTrayIcon();
        module1.HideWhenMinimized();
    }
}

std::string Program::dateText(const DateTime& t) {
    return formatDateTime(t, platform.clock.dateFormats());
}

// An unloaded window keeps its object until the handlers on the stack have returned; the
// next touch creates a fresh one with its design values, as a reloaded window has.
void Program::dropUnloaded(ui::Form& f) {
    for (auto& [type, slot] : windows_) {
        if (slot.get() == &f) {
            unloaded_.push_back(std::move(slot));
            return;
        }
    }
}

}  // namespace sonorin
