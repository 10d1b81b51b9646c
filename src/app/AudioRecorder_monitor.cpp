// The programmed-recording monitor: every 200 ms it refreshes the recorder's texts and
// starts and stops an armed recording at its times.
#include "app/AudioRecorder.h"
#include "app/program.h"
#include "base/app_title.h"
#include "base/text.h"
#include "recorder/frmSettings.h"

namespace sonorin {
namespace {

// Clears itself when the tick ends, however it ends.
struct TickGuard {
    bool& flag;
    explicit TickGuard(bool& f) : flag(f) { flag = true; }
    ~TickGuard() { flag = false; }
};

}  // namespace

void AudioRecorder::refreshStatus() {
    RecorderState& s = program_.recorderState;
    modWave& wave = program_.wave;
    wave.DescribeRecording();
    if (!s.RecordImmediate) {
        s.WaveDescription += "Programmed recording";
        s.WaveDescription += s.WaveAutomaticSave ? " (automatic save)" : " (manual save)";
        s.WaveDescription += "\r\n\r\nStart time:  " + program_.dateText(s.StartTime) +
                             "\r\nStop time:  " + program_.dateText(s.StopTime);
    }
    StatisticsLabel.setCaption(s.WaveDescription);
    StatusBar1.setPanelText(3, s.WaveDescription);
    wave.UpdateRecorderStatus();
    StatusBar1.setPanelText(1, "录音机:");
    StatusBar1.setPanelText(2, replaceAll(s.WaveStatus, "AudioRecorder: ", ""));
    if (indicator().find("停止") != std::string::npos) {
        cmdStop.setEnabled(false);
        cmdPlay.setEnabled(true);
    }
}

void AudioRecorder::Timer2_Timer() {
    // Message boxes keep the timer ticking; a tick that arrives while an earlier tick waits
    // on a box must change nothing.
    if (inTimer2_)
        return;
    TickGuard guard(inTimer2_);

    RecorderState& s = program_.recorderState;
    modWave& wave = program_.wave;

    const std::string times = "Start time:  " + program_.dateText(s.StartTime) +
                              "\r\nStop time:  " + program_.dateText(s.StopTime);
    refreshStatus();
    ui::Label& lblTimes = program_.form<frmSettings>().lblTimes;
    if (lblTimes.caption() != times)
        lblTimes.setCaption(times);

    if (program_.now() > s.StartTime && !s.ProgrammedDone && !s.RecordImmediate &&
        !s.ProgrammedRunning) {
        s.ProgrammedRunning = true;  // before the engine can show a box
        wave.OpenCaptureDevice();
        wave.ApplyCaptureFormat();
        wave.StartRecording();
        cmdStop.setEnabled(true);
        cmdPlay.setEnabled(false);
        cmdSave.setEnabled(false);
        cmdRecord.setEnabled(false);
    }

    // A take that has started ends at its stop time even when the dialog was switched back
    // to immediate recording (or cancelled) while it ran.
    if (program_.now() > s.StopTime && !s.ProgrammedDone &&
        (!s.RecordImmediate || s.ProgrammedRunning)) {
        finishProgrammedTake();
    }
}

void AudioRecorder::finishProgrammedTake() {
    RecorderState& s = program_.recorderState;
    modWave& wave = program_.wave;
    Prompts& prompts = program_.platform.prompts;
    s.ProgrammedDone = true;  // before the engine or the completion message shows a box
    s.ProgrammedRunning = false;
    wave.StopRecording();
    cmdSave.setEnabled(true);
    cmdPlay.setEnabled(true);
    cmdStop.setEnabled(false);
    const std::int32_t length = wave.GetCapturePosition();
    Slider1.setMax(length >= 1 ? length : 100);
    if (s.WaveAutomaticSave) {
        // Into the recordings folder, wherever the save dialog last left the current folder.
        const std::string folder = program_.programFolder() + kRecordingsFolder;
        if (program_.platform.files.findFirst(folder, true).empty())
            program_.platform.files.createFolder(folder);
        s.WaveFileName = folder + takeName(".") + ".wav";
        const bool saved = wave.SaveRecording(s.WaveFileName);
        // The status bar must not say "正在录音" under a message that may stay open all night.
        refreshStatus();
        if (saved) {
            prompts.messageBox("你的计划录音已完成，录音已被保存！\r\n文件名: " + s.WaveFileName,
                               kAppTitle, MsgButtons::Ok, MsgIcon::None);
        } else {
            // The take stays in the device, to be saved by hand.
            prompts.messageBox("你的计划录音已完成，但录音未能保存！\r\n文件名: " + s.WaveFileName +
                                   "\r\n请点击“保存”按钮保存录音。",
                               kAppTitle, MsgButtons::Ok, MsgIcon::None);
        }
    } else {
        refreshStatus();
        prompts.messageBox("录音完成！\r\n请点击“保存”按钮保存录音。", kAppTitle, MsgButtons::Ok,
                           MsgIcon::None);
    }
    settingsBackToImmediate();
}

}  // namespace sonorin
