// The recorder panel of the main window: record, stop and save, reset, settings, and the
// wide/compact toggle.
#include <optional>

#include "app/AudioRecorder.h"
#include "app/program.h"
#include "app/recorder_monitor.h"
#include "base/app_title.h"
#include "base/text.h"
#include "app/frmSettings.h"
#include "recorder/settings.h"
#include "app/frmDingshishouting.h"
#include "app/DingshiGuanji.h"

namespace sonorin {

std::string AudioRecorder::proposedFileName() const {
    return takeName(program_, "录音_从", "-");
}

bool AudioRecorder::recording() const {
    return program_.recorderState.ProgrammedRunning || indicator() == kRecordingIndicator ||
           (cmdStop.enabled() && !cmdRecord.enabled());
}

bool AudioRecorder::confirmWhileRecording(const char* question) {
    return indicator() != kRecordingIndicator ||
           program_.platform.prompts.messageBox(question, kAppTitle, MsgButtons::YesNo,
                                                MsgIcon::None) != MsgAnswer::No;
}

void AudioRecorder::clearTake() {
    Slider1.setMax(100);
    Slider1.setValue(0);
    Slider1.refresh();
    cmdRecord.setEnabled(true);
    cmdStop.setEnabled(false);
    cmdPlay.setEnabled(false);
}

void AudioRecorder::cmdRecord_Click() {
    startHandTake(program_);
    cmdStop.setEnabled(true);
    cmdRecord.setEnabled(false);
}

void AudioRecorder::cmdStop_Click() {
    program_.wave.StopRecording();
    cmdRecord.setEnabled(true);
    cmdPlay.setEnabled(true);
    cmdStop.setEnabled(false);
    finishStoppedTake(program_, Slider1);

    SaveDialogRequest request;
    request.title = "保存录音文件";
    request.initialFolder = program_.programFolder() + "\\录音文件";
    request.fileName = proposedFileName();
    request.filter = "WAV file (*.wav*)|*.wav";
    request.overwritePrompt = true;
    const std::optional<std::string> chosen = program_.platform.prompts.saveFileDialog(request);
    // Cancel leaves the take in the device, unsaved.
    if (chosen && !chosen->empty())
        program_.wave.SaveRecording(*chosen);
}

void AudioRecorder::cmdPlay_Click() {
    program_.form<frmDingshishouting>().show();
}

void AudioRecorder::cmdShijian_Click() {
    DingshiGuanji::open(program_);
}

void AudioRecorder::cmdSettings_Click() {
    if (!confirmWhileRecording("你正在录音，继续将导致录音停止！继续吗？"))
        return;
    clearTake();
    RecorderState& s = program_.recorderState;
    readSaveSettings(program_.platform.settings, s);
    s.resetToImmediate();
    frmSettings& dialog = program_.form<frmSettings>();
    dialog.optRecordImmediate.setValue(true);
    dialog.show(true);
}

void AudioRecorder::cmdReset_Click() {
    if (!confirmWhileRecording("你正在录音，继续将导致数据丢失！继续吗？"))
        return;
    clearTake();
    RecorderState& s = program_.recorderState;
    program_.wave.OpenCaptureDevice();
    readRecorderSettings(program_.platform.settings, s);
    s.resetToImmediate();
    program_.wave.ApplyCaptureFormat();
    // The device no longer holds the saved take, so the file can take its long name now.
    if (s.RenamePending)
        program_.wave.FinishPendingRename();
}

void AudioRecorder::setPanelWidths(double panel1Factor, double panel2Factor) {
    const double w = width();
    const double p1 = panel1Factor * w;
    const double p2 = panel2Factor * w;
    StatusBar1.setPanelWidth(1, p1);
    StatusBar1.setPanelWidth(2, p2);
    StatusBar1.setPanelWidth(3, w - p1 - p2);
}

void AudioRecorder::cmdmore_Click() {
    cmdmore.setVisible(false);
    cmdgoback.setVisible(true);
    setWidth(10455);
    setPanelWidths(0.08, 0.10);
}

void AudioRecorder::cmdgoback_Click() {
    setWidth(5040);
    setPanelWidths(0.15, 0.21);
    cmdmore.setVisible(true);
    cmdgoback.setVisible(false);
}

}  // namespace sonorin
