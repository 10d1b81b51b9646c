// A window timer of the form's window: it runs while the model's timer is enabled with an
// interval, and its ticks come back as the timer's ticks (WM_TIMER, through FormWindow::timers).
#include "ui/control.h"
#include "win32/window_system/form_window.h"

namespace sonorin::win32 {
namespace {

class TimerPeer final : public ui::Peer {
  public:
    TimerPeer(FormWindow& fw, ui::Timer& timer) : fw_(fw), timer_(timer), id_(fw.nextTimerId++) {
        fw_.timers[id_] = &timer_;
        apply();
    }
    ~TimerPeer() override {
        KillTimer(fw_.hwnd, id_);
        fw_.timers.erase(id_);
    }
    TimerPeer(const TimerPeer&) = delete;
    TimerPeer& operator=(const TimerPeer&) = delete;

    void changed(ui::Property property) override {
        if (property == ui::Property::Enabled || property == ui::Property::Interval)
            apply();
    }

  private:
    void apply() {
        // Setting a running timer again restarts its interval, as a changed interval should.
        if (timer_.running())
            SetTimer(fw_.hwnd, id_, static_cast<UINT>(timer_.interval()), nullptr);
        else
            KillTimer(fw_.hwnd, id_);
    }

    FormWindow& fw_;
    ui::Timer& timer_;
    UINT_PTR id_;
};

}  // namespace

std::unique_ptr<ui::Peer> makeTimerPeer(FormWindow& fw, ui::Control& control) {
    return std::make_unique<TimerPeer>(fw, static_cast<ui::Timer&>(control));
}

}  // namespace sonorin::win32
