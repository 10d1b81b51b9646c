// The program object: the platform it runs on, the shared recorder state and engine, and its
// windows, each created and loaded on first touch (form<frmSettings>() loads the settings
// dialog invisibly when it is not loaded, as reading one of its controls does).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <typeindex>
#include <vector>

#include "app/Module1.h"
#include "base/datetime.h"
#include "radio/listening.h"
#include "radio/portal.h"
#include "radio/station_player.h"
#include "recorder/modWave.h"
#include "recorder/recorder.h"
#include "recorder/recorder_state.h"
#include "recorder/station_take.h"
#include "services/clock.h"
#include "services/filesystem.h"
#include "services/loopback_server.h"
#include "services/mci.h"
#include "services/power.h"
#include "services/process_info.h"
#include "services/prompts.h"
#include "services/registry.h"
#include "services/settings_store.h"
#include "services/shell.h"
#include "services/tray_icons.h"
#include "skin/MSkinner.h"
#include "skin/skin_host.h"
#include "ui/browser.h"
#include "ui/form.h"
#include "ui/form_set.h"
#include "ui/window_system.h"

namespace sonorin {

struct Platform {
    Clock& clock;
    Prompts& prompts;
    Shell& shell;
    Mci& mci;
    SettingsStore& settings;
    FileSystem& files;
    WindowSystem& windows;
    StationPlayer& player;
    LoopbackServer& server;
    TrayIcons& tray;
    PowerApi& power;
    Registry& registry;
    ProcessInfo& process;
    SkinHost* skin = nullptr;  // none: the windows keep the system's look
};

class Program {
  public:
    explicit Program(Platform& platform);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    Platform& platform;
    ui::FormSet forms;
    RecorderState recorderState;
    // The MCI engine, the take of the station the program plays, and the recorder that
    // gives each take to the source the user chose.
    modWave mciWave;
    StationTake stationTake;
    Recorder wave;
    // The radio portal served on 127.0.0.1 (the pages of the radio pane) and its station list.
    radio::Portal portal;
    // The titles heard and the stations played last, kept across starts.
    radio::Listening listening;
    std::unique_ptr<MSkinner> skin;

    // The skin engine's entry operations, on the form's native window; 0 without a skin.
    int SkinForm(ui::Form& form);
    int UnskinForm(ui::Form& form);
    // The window's child windows were made after its load skinned it (at its first show).
    void childrenMade(ui::Form& form);

    // The window the tray icon belongs to and the menu it pops up.
    ui::Form* TrayForm = nullptr;
    ui::MenuItem* TrayMenu = nullptr;
    // The tray icons of the main window (TrayForm) and of the timed-shutdown window.
    Module1 module1;

    // Creates the desktop shortcut to the program when the desktop has none of that name.
    void ensureDesktopShortcut();

    // Puts the main window (TrayForm) into the tray and hides it, when it is minimized.
    void goToTrayIfMinimized();

    // Opens the portal, creates and loads the main window, then shows it unless it chose to
    // stay hidden.
    void start();

    // The window of type F, created and loaded if it is not loaded.
    template <class F>
    F& form() {
        std::unique_ptr<ui::Form>& slot = windows_[std::type_index(typeid(F))];
        if (!slot)
            slot = std::make_unique<F>(*this);
        F& f = static_cast<F&>(*slot);
        if (!f.loaded())
            forms.load(f);
        return f;
    }
    template <class F>
    bool isLoaded() const {
        auto it = windows_.find(std::type_index(typeid(F)));
        return it != windows_.end() && it->second && it->second->loaded();
    }

    // The program is closing: unloads every loaded window but `closing`, the timed-shutdown
    // window first, since its question about an armed timer may call the whole exit off;
    // then no other window has been touched. Returns false when a window refused, true when
    // every other window has gone and saved what it saves at unload (the plans). Whichever
    // window ends the process calls this first, so nothing depends on the order in which the
    // windows were loaded.
    bool unloadOtherWindows(ui::Form& closing);
    // True while unloadOtherWindows runs: a window unloaded for the exit does not repeat a
    // question the closing window has already asked.
    bool exiting() const { return exiting_; }

    // Ends this process only: another running copy of the program may be in the middle of a
    // recording. The station is silenced first and its worker let go of the sound device.
    void endProcess();

    // Frees windows that have been unloaded; call when no handler of theirs is running.
    void collectUnloaded() { unloaded_.clear(); }

    std::string programFolder() { return platform.files.programFolder(); }
    DateTime now() { return platform.clock.now(); }
    // A date-time in the user's general date format (short date, blank, long time; only
    // the date at midnight).
    std::string dateText(const DateTime& t);

  private:
    void startPortal();
    // Station takes a crash left unfinished are mended and renamed; the user is told.
    void tellRecoveredTakes();
    void dropUnloaded(ui::Form& form);

    std::map<std::type_index, std::unique_ptr<ui::Form>> windows_;
    std::vector<std::unique_ptr<ui::Form>> unloaded_;
    bool exiting_ = false;
};

}  // namespace sonorin
