// A timer of the form: it runs on the window system's beat while the model's timer is enabled
// with an interval, and each of the beat's ticks for it is the timer's tick.
#include "ui/control.h"
#include "win32/window_system/form_window.h"
#include "win32/window_system/timer_beat_win32.h"
#include "win32/window_system_win32.h"

namespace sonorin::win32 {
namespace {

class TimerPeer final : public ui::Peer {
  public:
    TimerPeer(FormWindow& fw, ui::Timer& timer) : beat_(fw.system.timerBeat()), timer_(timer) {
        beat_.follow(timer_);
    }
    ~TimerPeer() override { beat_.stop(timer_); }
    TimerPeer(const TimerPeer&) = delete;
    TimerPeer& operator=(const TimerPeer&) = delete;

    void changed(ui::Property property) override {
        // Setting a running timer again restarts its interval, as a changed interval should.
        if (property == ui::Property::Enabled || property == ui::Property::Interval)
            beat_.follow(timer_);
    }

  private:
    TimerBeatWin32& beat_;
    ui::Timer& timer_;
};

}  // namespace

std::unique_ptr<ui::Peer> makeTimerPeer(FormWindow& fw, ui::Control& control) {
    return std::make_unique<TimerPeer>(fw, static_cast<ui::Timer&>(control));
}

}  // namespace sonorin::win32
