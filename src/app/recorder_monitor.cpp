#include "app/recorder_monitor.h"

#include "app/FrmnoConnection.h"
#include "app/frmSettings.h"
#include "app/program.h"
#include "app/recorder_panel.h"
#include "base/app_title.h"
#include "base/text.h"

namespace sonorin {

std::string takeName(Program& program, const std::string& prefix, const char* timeSeparator) {
    const RecorderState& s = program.recorderState;
    std::string name = prefix + program.dateText(s.StartTime) + "到" + program.dateText(s.StopTime);
    name = replaceAll(std::move(name), ":", timeSeparator);
    name = replaceAll(std::move(name), " ", "_");
    return replaceAll(std::move(name), "/", "-");
}

void settingsDialogBackToImmediate(Program& program) {
    frmSettings& dialog = program.form<frmSettings>();
    dialog.optRecordProgrammed.setValue(false);
    dialog.optRecordImmediate.setValue(true);
}

namespace {

std::string timesText(Program& program) {
    const RecorderState& s = program.recorderState;
    return "Start time:  " + program.dateText(s.StartTime) +
           "\r\nStop time:  " + program.dateText(s.StopTime);
}

// Status texts and the Stop/Play pair from the device's state.
void refreshStatus(Program& program, RecorderPanel& panel, const std::string& times) {
    RecorderState& s = program.recorderState;
    Recorder& wave = program.wave;
    wave.DescribeRecording();
    if (!s.RecordImmediate) {
        s.WaveDescription += "Programmed recording";
        s.WaveDescription += s.WaveAutomaticSave ? " (automatic save)" : " (manual save)";
        s.WaveDescription += "\r\n\r\n" + times;
    }
    panel.StatisticsLabel.setCaption(s.WaveDescription);
    wave.UpdateRecorderStatus();
    // A sound card that records nothing while the station plays: the station itself can be
    // recorded instead.
    if (wave.soundCardSilent(program.platform.player.state() == PlayerState::Playing)) {
        panel.StatusBar1.setPanelText(
            3, "提示：声卡没有录到声音。可在“设置”中把录音来源改为“正在收听的电台”。 | " +
                   s.WaveDescription);
    } else {
        panel.StatusBar1.setPanelText(3, s.WaveDescription);
    }
    panel.StatusBar1.setPanelText(1, "录音机:");
    panel.StatusBar1.setPanelText(2, replaceAll(s.WaveStatus, "AudioRecorder: ", ""));
    if (panel.StatusBar1.panel(2).text.find("停止") != std::string::npos) {
        panel.cmdStop.setEnabled(false);
        panel.cmdPlay.setEnabled(true);
    }
    panel.showSaveWhileUnsaved();
}

// Stops a programmed take at its stop time and saves it or asks the user to.
void finishProgrammedTake(Program& program, RecorderPanel& panel, const std::string& savePrefix,
                          const std::string& times) {
    RecorderState& s = program.recorderState;
    Recorder& wave = program.wave;
    Prompts& prompts = program.platform.prompts;
    s.ProgrammedDone = true;  // before the engine or the completion message shows a box
    s.ProgrammedRunning = false;
    wave.StopRecording();
    panel.cmdSave.setEnabled(true);
    panel.cmdPlay.setEnabled(true);
    panel.cmdStop.setEnabled(false);
    const std::int32_t length = wave.GetCapturePosition();
    panel.Slider1.setMax(length >= 1 ? length : 100);
    if (s.WaveAutomaticSave) {
        // Into the recordings folder, wherever the save dialog last left the current folder.
        const std::string folder = program.programFolder() + kRecordingsFolder;
        if (program.platform.files.findFirst(folder, true).empty())
            program.platform.files.createFolder(folder);
        s.WaveFileName = folder + takeName(program, savePrefix, ".") + ".wav";
        const bool saved = wave.SaveRecording(s.WaveFileName);
        // The status bar must not say "正在录音" under a message that may stay open all night.
        refreshStatus(program, panel, times);
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
        refreshStatus(program, panel, times);
        prompts.messageBox("录音完成！\r\n请点击“保存”按钮保存录音。", kAppTitle, MsgButtons::Ok,
                           MsgIcon::None);
    }
    settingsDialogBackToImmediate(program);
}

}  // namespace

void runRecorderMonitor(Program& program, RecorderPanel& panel, const std::string& savePrefix) {
    RecorderState& s = program.recorderState;
    Recorder& wave = program.wave;

    // A station take that stopped by itself (the disk filling up, the file no longer
    // writable) ends as if its stop had come: saved when programmed, offered otherwise.
    if (const std::string stopped = wave.tick(); !stopped.empty()) {
        refreshStatus(program, panel, timesText(program));  // no "正在录音" under the message
        program.platform.prompts.messageBox(stopped, kAppTitle, MsgButtons::Ok,
                                            MsgIcon::Exclamation);
        if (s.ProgrammedRunning) {
            finishProgrammedTake(program, panel, savePrefix, timesText(program));
        } else {
            panel.cmdStop_Click();
        }
        return;
    }

    const std::string times = timesText(program);
    refreshStatus(program, panel, times);
    ui::Label& lblTimes = program.form<frmSettings>().lblTimes;
    if (lblTimes.caption() != times)
        lblTimes.setCaption(times);

    // Both recorder windows may run this on the one state: the flags, set before anything
    // can show a box, keep the other from repeating a start or a stop.
    if (program.now() > s.StartTime && !s.ProgrammedDone && !s.RecordImmediate &&
        !s.ProgrammedRunning) {
        s.ProgrammedRunning = true;
        wave.OpenCaptureDevice();
        wave.ApplyCaptureFormat();
        // Without a network no station plays: the take records the sound card, as a hand
        // take in the offline window does (that window says so under its notice).
        const bool offline =
            program.isLoaded<FrmnoConnection>() && program.form<FrmnoConnection>().visible();
        wave.StartRecording(offline ? CaptureSource::SoundCard : s.Source);
        panel.cmdStop.setEnabled(true);
        panel.cmdPlay.setEnabled(false);
        panel.cmdSave.setEnabled(false);
        panel.cmdRecord.setEnabled(false);
        panel.showSaveWhileUnsaved();
    }

    // A take that has started ends at its stop time even when the dialog was switched back
    // to immediate recording (or cancelled) while it ran.
    if (program.now() > s.StopTime && !s.ProgrammedDone &&
        (!s.RecordImmediate || s.ProgrammedRunning)) {
        finishProgrammedTake(program, panel, savePrefix, times);
    }
}

}  // namespace sonorin
