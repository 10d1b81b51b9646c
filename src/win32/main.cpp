// Wires the real Windows platform to the program and runs the message loop.
#include <windows.h>

#include "app/config.h"
#include "app/program.h"
#include "win32/clock_win32.h"
#include "win32/filesystem_win32.h"
#include "win32/loopback_server_win32.h"
#include "win32/mci_win32.h"
#include "win32/power_win32.h"
#include "win32/process_info_win32.h"
#include "win32/prompts_win32.h"
#include "win32/registry_win32.h"
#include "win32/running_copy_win32.h"
#include "win32/settings_store_win32.h"
#include "win32/shell_win32.h"
#include "win32/skin_host_win32.h"
#include "win32/station_player_win32.h"
#include "win32/tray_icons_win32.h"
#include "win32/window_system_win32.h"

namespace {

// Start-up needs winmm and its waveaudio driver on the interface thread for the capture device,
// the socket library for the portal and the connectivity test, and online WinINet for the test.
// Loaded there, at their first call, they took three times as long as on a thread of their own
// started first thing (measured under Wine: 16 ms against 5). Loading is all this thread does,
// with the one question that decides whether WinINet loads: no step runs earlier or elsewhere,
// and a library it cannot load is loaded (or missed) at its first call as before. An offline
// start, whose test host does not resolve, must never load WinINet: the thread loads it only
// when the test will hand its host to WinINet, asking the resolver as the test does. The
// libraries WinINet needs are loaded in any case, the shell's among them (an offline start used
// it for nothing, but loading it here cost that start no time either).
DWORD WINAPI loadStartLibraries(void*) {
    for (const wchar_t* name :
         {L"ws2_32.dll", L"winmm.dll", L"mciwave.dll", L"shell32.dll", L"mpr.dll"})
        LoadLibraryW(name);
    if (sonorin::win32::hostMayResolve(sonorin::config::connectivityTestUrl()))
        LoadLibraryW(L"wininet.dll");
    return 0;
}

// Under Wine a thread's first top-level window opens the thread's own display connection and
// its input method (15-20 ms of X11 work, the same for any window). Paid by the main window,
// that came on top of the libraries the thread above loads; paid here, by a window that is
// never shown, it runs while they load. On Windows the window costs next to nothing.
void openDisplayConnection(HINSTANCE instance) {
    if (HWND window = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                      instance, nullptr))
        DestroyWindow(window);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // OLE and COM are started by the radio pane and the shortcut maker themselves, when they
    // are first needed: an offline start never starts them.
    int exitCode = 0;
    {
        // One copy at a time: a second start shows the first and ends (a second scheduler
        // would run every plan twice, a second pane play over the first).
        sonorin::win32::Win32ProcessInfo process;
        if (process.anotherInstanceRunning() && sonorin::win32::showRunningCopy())
            return 0;
        if (HANDLE loader = CreateThread(nullptr, 0, loadStartLibraries, nullptr, 0, nullptr))
            CloseHandle(loader);
        openDisplayConnection(instance);
        sonorin::win32::Win32WindowSystem windows(instance);
        sonorin::win32::Win32Clock clock;
        sonorin::Win32Prompts prompts;
        sonorin::win32::Win32Shell shell;
        sonorin::Win32Mci mci;
        sonorin::Win32SettingsStore settings;
        sonorin::Win32FileSystem files;
        sonorin::win32::Win32StationPlayer::Options playerOptions;
        playerOptions.directoryHost = sonorin::config::stationDirectoryHost();
        sonorin::win32::Win32StationPlayer player(playerOptions);
        sonorin::win32::Win32LoopbackServer server;
        sonorin::win32::Win32TrayIcons tray(windows);
        sonorin::win32::Win32PowerApi power;
        sonorin::win32::Win32Registry registry;
        sonorin::win32::Win32SkinHost skin;
        sonorin::Platform platform{clock,  prompts, shell, mci,   settings, files,   windows,
                                   player, server,  tray,  power, registry, process, &skin};
        sonorin::Program program(platform);
        windows.onIdle = [&program] { program.collectUnloaded(); };
        windows.onSettingChange = [&clock] { clock.settingsChanged(); };
        windows.onChildrenMade = [&program](sonorin::ui::Form& form) {
            program.childrenMade(form);
        };
        program.start();
        if (!program.forms.loadedForms().empty())
            exitCode = windows.runMessageLoop();
    }
    return exitCode;
}
