#include "win32/window_system/timer_beat_win32.h"

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "ui/control.h"
#include "win32/window_system_win32.h"

namespace sonorin::win32 {
namespace {

// A thread timer's procedure is told only the timer's id: the live beats of the thread, to find
// the one it belongs to (the program has one window system; tests make one after another).
thread_local std::vector<TimerBeatWin32*> threadBeats;

}  // namespace

TimerBeatWin32::TimerBeatWin32(Win32WindowSystem& system) : system_(system) {
    threadBeats.push_back(this);
}

TimerBeatWin32::~TimerBeatWin32() {
    disarmThreadTimer();
    std::erase(threadBeats, this);
}

void TimerBeatWin32::follow(ui::Timer& timer) {
    const bool changed = timer.running() ? beat_.start(&timer, timer.interval(), GetTickCount64())
                                         : beat_.stop(&timer, GetTickCount64());
    if (changed)
        rearm();
}

void TimerBeatWin32::stop(ui::Timer& timer) {
    if (beat_.stop(&timer, GetTickCount64()))
        rearm();
}

void TimerBeatWin32::rearm() {
    if (beat_.period() == 0)
        disarmThreadTimer();
    else if (timerId_ || !mainLoopOwns_)
        armThreadTimer();
}

void TimerBeatWin32::armThreadTimer() {
    // Setting the thread timer again under its id restarts it at the new period.
    const UINT_PTR id =
        SetTimer(nullptr, timerId_, static_cast<UINT>(beat_.period()), &TimerBeatWin32::wake);
    if (id && id != timerId_ && timerId_)
        KillTimer(nullptr, timerId_);  // a system that made a new one instead
    if (id)
        timerId_ = id;
    else
        system_.reportFault("the system gave no timer: " + std::to_string(GetLastError()));
}

void TimerBeatWin32::disarmThreadTimer() {
    if (timerId_)
        KillTimer(nullptr, timerId_);
    timerId_ = 0;
}

bool TimerBeatWin32::waitInMainLoop() {
    mainLoopOwns_ = true;
    disarmThreadTimer();
    // Messages coming one after another may have kept the wait below from reaching a beat.
    tickDue();
    const std::int64_t until = beat_.untilNextBeat(static_cast<std::int64_t>(GetTickCount64()));
    // Like GetMessage's own wait, this one ends for messages that came since the queue was last
    // looked at, not for any the queue holds: under Wine the queue can report a paint due that
    // no look at it ever delivers, which would end every wait at once. And only a wait that
    // times out leaves the queue's wake masks as they were, so that the next needs no round
    // trip to set them again.
    const DWORD woke = MsgWaitForMultipleObjectsEx(
        0, nullptr, until < 0 ? INFINITE : static_cast<DWORD>(until), QS_ALLINPUT, 0);
    if (woke != WAIT_TIMEOUT)
        return false;
    tickDue();
    return true;
}

void TimerBeatWin32::mainLoopEnded() {
    mainLoopOwns_ = false;
    if (beat_.period() && !timerId_)
        armThreadTimer();
}

void TimerBeatWin32::letDueTimersTick() {
    // Elsewhere the thread timer's messages are among those let through.
    if (mainLoopOwns_)
        tickDue();
}

void TimerBeatWin32::nestedLoopStarts() {
    for (TimerBeatWin32* beat : threadBeats)
        if (beat->beat_.period() && !beat->timerId_)
            beat->armThreadTimer();
}

void CALLBACK TimerBeatWin32::wake(HWND, UINT, UINT_PTR id, DWORD) {
    for (TimerBeatWin32* beat : threadBeats) {
        if (beat->timerId_ == id) {
            beat->tickDue();
            return;
        }
    }
}

void TimerBeatWin32::tickDue() {
    for (ui::TimerBeat::Key key : beat_.due(GetTickCount64())) {
        // An earlier tick of this beat may have stopped or destroyed this timer (a window
        // unloaded); the beat forgets a timer before it goes.
        if (!beat_.running(key))
            continue;
        auto* timer = static_cast<ui::Timer*>(const_cast<void*>(key));
        // Exceptions must not unwind through the system's frames to the message loop.
        try {
            timer->tick();
        } catch (const std::exception& e) {
            system_.reportFault(std::string("a timer's handler failed: ") + e.what());
        } catch (...) {
            system_.reportFault("a timer's handler failed");
        }
    }
}

}  // namespace sonorin::win32
