// The window system's timers on one wake-up of the interface thread (see ui/timer_beat.h): a
// thread timer at the beat's period. It is a window timer like any other, so its ticks come
// through every message loop, the modal ones of message boxes and menus too.
#pragma once

#include <windows.h>

#include "ui/timer_beat.h"

namespace sonorin::ui {
class Timer;
}  // namespace sonorin::ui

namespace sonorin::win32 {

class Win32WindowSystem;

class TimerBeatWin32 {
  public:
    explicit TimerBeatWin32(Win32WindowSystem& system);
    ~TimerBeatWin32();
    TimerBeatWin32(const TimerBeatWin32&) = delete;
    TimerBeatWin32& operator=(const TimerBeatWin32&) = delete;

    // Runs the timer from now at its interval, or stops it, as the model says.
    void follow(ui::Timer& timer);
    void stop(ui::Timer& timer);

  private:
    static void CALLBACK wake(HWND, UINT, UINT_PTR id, DWORD);
    void rearm();
    void tickDue();

    Win32WindowSystem& system_;
    ui::TimerBeat beat_;
    UINT_PTR timerId_ = 0;
};

}  // namespace sonorin::win32
