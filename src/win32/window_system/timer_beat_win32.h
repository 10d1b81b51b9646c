// The window system's timers on one wake-up of the interface thread (see ui/timer_beat.h).
//
// In the program's message loop the beat is the wait's own time-out: the loop waits for a
// message until the next beat and, when the time is up, ticks the due timers right there, with
// no message. Under Wine that is one round trip to the wineserver per beat (the wait), where a
// WM_TIMER costs three (the wait, fetching the message, finding the queue empty again); for the
// 200-ms monitors that was most of what the idle program did. Any other loop (a message
// box's, a menu's, a modal form's, a test's pump) only dispatches messages, so there a thread
// timer at the beat's period ticks it through WM_TIMER. The thread timer is armed except while
// the program's loop keeps the beat; code of the program that runs a loop inside a handler says
// so first (nestedLoopStarts), and the form windows say so for the loops the system runs for
// them (menus, moving and sizing, the modal boxes and dialogs that disable them).
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

    // The program's message loop: ticks the timers that are due, then waits for a message or
    // the next beat. True when the beat came (its due timers have ticked): the loop may wait
    // again at once, as the wait ends for any message that came meanwhile. False: there are
    // messages.
    bool waitInMainLoop();
    // The program's loop ended: the thread timer keeps the beat again.
    void mainLoopEnded();
    // A handler lets pending messages through (doEvents): the timers whose time has come tick
    // there too, as their timer messages would have.
    void letDueTimersTick();

    // A message loop other than the program's is about to run on this thread (inside a handler
    // the program's loop dispatched): the thread timer ticks the beats of the thread there.
    // Cheap when it already does.
    static void nestedLoopStarts();

  private:
    static void CALLBACK wake(HWND, UINT, UINT_PTR id, DWORD);
    void rearm();
    void armThreadTimer();
    void disarmThreadTimer();
    void tickDue();

    Win32WindowSystem& system_;
    ui::TimerBeat beat_;
    UINT_PTR timerId_ = 0;       // the thread timer; 0 while not armed
    bool mainLoopOwns_ = false;  // the program's loop keeps the beat in its wait
};

}  // namespace sonorin::win32
