// The station player of the Windows build. Each play() starts a worker thread that downloads
// the stream (WinINet), decodes it with the system's codecs and plays it through waveOut; the
// worker reports to a hidden message window, so callbacks arrive on the user-interface thread.
// stop() silences the output at once and leaves the worker to wind down by itself.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "radio/player/session.h"
#include "radio/station_player.h"
#include "win32/system_thread_win32.h"

namespace sonorin::win32 {

class Win32StationPlayer : public StationPlayer {
  public:
    struct Options {
        std::string directoryHost;  // the station directory, without a trailing slash
        radio::SessionLimits limits;
    };
    explicit Win32StationPlayer(Options options);
    ~Win32StationPlayer() override;
    Win32StationPlayer(const Win32StationPlayer&) = delete;
    Win32StationPlayer& operator=(const Win32StationPlayer&) = delete;

    void play(const Station& station) override;
    void stop() override;
    void stopForExit() override;
    PlayerState state() const override { return state_; }
    Station current() const override { return current_; }
    std::string statusText() const override { return status_; }
    std::string nowPlaying() const override { return title_; }
    void setVolume(double level) override;

    struct Worker;
    struct Event;

  private:
    // Joins the workers that end within `ms`; returns false when one is still running.
    bool waitForWorkers(DWORD ms);
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void stopWorker();
    void makeWindow();
    void apply(const Event& event);
    void changed();

    Options options_;
    HWND window_ = nullptr;
    std::shared_ptr<Worker> worker_;
    std::vector<std::pair<std::shared_ptr<Worker>, SystemThread>> threads_;
    std::uint64_t generation_ = 0;
    PlayerState state_ = PlayerState::Stopped;
    Station current_;
    std::string status_;
    std::string title_;
};

}  // namespace sonorin::win32
