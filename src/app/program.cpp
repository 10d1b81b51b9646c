#include "app/program.h"

#include "app/AudioRecorder.h"
#include "app/DingshiGuanji.h"
#include "app/config.h"
#include "app/frmZuijinBofang.h"
#include "base/app_title.h"
#include "base/datetext.h"

namespace sonorin {

Program::Program(Platform& p)
    : platform(p),
      forms(p.windows),
      mciWave(p.mci, p.files, p.prompts, recorderState),
      stationTake(p.files),
      wave(mciWave, stationTake, p.mci, p.files, p.clock, p.prompts, recorderState),
      portal(p.player, p.files),
      listening(p.player, p.clock, p.files),
      module1(p.tray, p.windows, TrayForm, TrayMenu) {
    forms.onUnloaded = [this](ui::Form& f) { dropUnloaded(f); };
    platform.player.pcmTap->attach(&stationTake);
    platform.player.onAddressFound = [this](const Station& found) { portal.addressFound(found); };
    // A window not loaded has no pane to keep current; it reads the page when it loads.
    platform.player.onChanged = [this] {
        listening.playerChanged();
        if (isLoaded<AudioRecorder>()) {
            form<AudioRecorder>().playerChanged();
            form<AudioRecorder>().showListening();
        }
    };
    listening.titles.onChanged = [this] {
        if (isLoaded<frmZuijinBofang>())
            form<frmZuijinBofang>().showTitles();
    };
    listening.titles.onHeard = [this](const radio::HeardTitle& heard) {
        if (isLoaded<AudioRecorder>())
            form<AudioRecorder>().titleHeard(heard);
    };
    portal.onWarning = [this](const std::string& text) {
        platform.prompts.messageBox(text, kAppTitle, MsgButtons::Ok, MsgIcon::Exclamation);
    };
    if (p.skin)
        skin = std::make_unique<MSkinner>(*p.skin);
}

int Program::SkinForm(ui::Form& form) {
    return skin ? skin->SkinForm(platform.windows.nativeHandle(form)) : 0;
}

int Program::UnskinForm(ui::Form& form) {
    return skin ? skin->UnskinForm(platform.windows.nativeHandle(form)) : 0;
}

void Program::childrenMade(ui::Form& form) {
    if (skin)
        skin->AttachChildren(platform.windows.nativeHandle(form));
}

Program::~Program() {
    forms.onUnloaded = nullptr;
    platform.player.onAddressFound = nullptr;
    platform.player.onChanged = nullptr;
    listening.titles.onChanged = nullptr;
    listening.titles.onHeard = nullptr;
    platform.player.pcmTap->attach(nullptr);
    platform.server.onRequest = nullptr;
}

void Program::endProcess() {
    platform.player.stopForExit();
    platform.shell.endProcess(0);
}

void Program::start() {
    startPortal();
    AudioRecorder& main = form<AudioRecorder>();
    if (main.loaded() && !main.hiddenAtStart())
        main.show();
    if (main.loaded())
        tellRecoveredTakes();
}

// Told once: the files carry their new names from here on.
void Program::tellRecoveredTakes() {
    const std::vector<std::string> recovered = wave.recoverUnfinishedTakes();
    if (recovered.empty())
        return;
    std::string text =
        "上次的电台录音没有保存就结束了（程序被关闭或意外退出）。已经录下的部分已恢复，保存为：";
    for (const std::string& name : recovered)
        text += "\r\n" + name;
    platform.prompts.messageBox(text, kAppTitle, MsgButtons::Ok, MsgIcon::Information);
}

// The portal must listen before the main window loads: its start-up opens the station page.
void Program::startPortal() {
    portal.loadStations(programFolder());
    listening.load(programFolder());
    portal.setListening(&listening);
    portal.onOpenPage = [this](const std::string& address) {
        platform.shell.open("Open", address, "", programFolder());
    };
    portal.setToken(radio::newPortalToken());
    platform.server.onRequest = [this](const std::string& head) { return portal.respond(head); };
    const int port = platform.server.listen(config::kPortalPort, config::kPortalPortAttempts);
    if (port != 0) {
        portal.setPort(port);
        config::setPortalPort(port);
    }
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

bool Program::unloadOtherWindows(ui::Form& closing) {
    if (exiting_)
        return true;  // an outer exit is already unloading them
    exiting_ = true;
    bool allGone = true;
    if (dynamic_cast<DingshiGuanji*>(&closing) == nullptr && isLoaded<DingshiGuanji>())
        allGone = form<DingshiGuanji>().unload();
    if (allGone) {
        // Unloading a window can unload others, so walk a copy of the list.
        const std::vector<ui::Form*> loaded = forms.loadedForms();
        for (ui::Form* f : loaded)
            if (allGone && f != &closing && f->loaded())
                allGone = f->unload();
    }
    exiting_ = false;
    return allGone;
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
