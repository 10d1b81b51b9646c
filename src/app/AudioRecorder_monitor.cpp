// The programmed-recording monitor of the main window: every 200 ms it refreshes the
// recorder's texts and starts and stops an armed recording at its times.
#include "app/AudioRecorder.h"
#include "app/program.h"
#include "app/recorder_monitor.h"

namespace sonorin {
namespace {

// Clears itself when the tick ends, however it ends.
struct TickGuard {
    bool& flag;
    explicit TickGuard(bool& f) : flag(f) { flag = true; }
    ~TickGuard() { flag = false; }
};

}  // namespace

void AudioRecorder::Timer2_Timer() {
    // Message boxes keep the timer ticking; a tick that arrives while an earlier tick waits
    // on a box must change nothing.
    if (inTimer2_)
        return;
    TickGuard guard(inTimer2_);
    runRecorderMonitor(program_,
                       {cmdRecord, cmdStop, cmdPlay, cmdSave, Slider1, StatisticsLabel, StatusBar1},
                       "录音_从");
}

}  // namespace sonorin
