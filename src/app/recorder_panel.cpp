#include "app/recorder_panel.h"

#include <optional>

#include "app/DingshiGuanji.h"
#include "app/frmDingshishouting.h"
#include "app/frmSettings.h"
#include "app/program.h"
#include "app/recorder_monitor.h"
#include "base/app_title.h"
#include "recorder/settings.h"

namespace sonorin {
namespace {

// Clears itself when the tick ends, however it ends.
struct TickGuard {
    bool& flag;
    explicit TickGuard(bool& f) : flag(f) { flag = true; }
    ~TickGuard() { flag = false; }
};

}  // namespace

RecorderPanel::RecorderPanel(ui::Form& window, Program& program, const RecorderPanelStyle& style,
                             ui::Slider& slider, ui::Label& statistics, ui::StatusBar& statusBar)
    : window_(window),
      program_(program),
      style_(style),
      Slider1(slider),
      StatisticsLabel(statistics),
      StatusBar1(statusBar) {
    struct Face {
        ui::Button& button;
        const char* caption;
        const char* toolTip;
        bool enabled;
    };
    // Settings and Reset are usable in both windows, so that the offline recorder too can be
    // set up and started over.
    const Face faces[] = {
        {cmdRecord, "录音", "开始录音", style.recordUsableAtCreation},
        {cmdStop, "停止", "停止录音或回放", false},
        {cmdPlay, "定时1", style.playsTheTakeBack ? "录音回放" : "设置定时播音计划", false},
        {cmdSave, "保存", "保存录音为wav格式文件", false},
        {cmdReset, "重置", "开始新录音或调整所有设置", true},
        {cmdSettings, "设置", "进行录音参数设置", true},
        {cmdShijian, "定时2", "定时关机", true},
        {cmdmore, "更多", "更多电台", true},
        {cmdgoback, "还原", "恢复初始窗口大小", true},
    };
    for (const Face& f : faces) {
        f.button.setCaption(f.caption);
        f.button.setToolTip(f.toolTip);
        f.button.setEnabled(f.enabled);
    }
    cmdgoback.setVisible(false);
    cmdSave.setVisible(false);  // until there is a take to save

    // The design places; the layout spreads the row over the window's width.
    for (ui::Button* b :
         {&cmdRecord, &cmdStop, &cmdPlay, &cmdReset, &cmdSettings, &cmdShijian, &cmdmore})
        b->setBounds(0, 0, 615, 735);
    cmdgoback.setBounds(0, 840, 615, 735);
    cmdSave.setBounds(1800, 0, 615, 735);

    cmdRecord.onClick = [this] { cmdRecord_Click(); };
    cmdStop.onClick = [this] { cmdStop_Click(); };
    cmdPlay.onClick = [this] { cmdPlay_Click(); };
    cmdReset.onClick = [this] { cmdReset_Click(); };
    cmdSettings.onClick = [this] { cmdSettings_Click(); };
    cmdShijian.onClick = [this] { cmdShijian_Click(); };
    cmdmore.onClick = [this] { cmdmore_Click(); };
    cmdgoback.onClick = [this] { cmdgoback_Click(); };
    cmdSave.onClick = [this] { cmdSave_Click(); };
}

std::string RecorderPanel::proposedFileName() const {
    return takeName(program_, "录音_从", "-");
}

bool RecorderPanel::recording() const {
    return program_.recorderState.ProgrammedRunning || indicator() == kRecordingIndicator ||
           (cmdStop.enabled() && !cmdRecord.enabled());
}

void RecorderPanel::runMonitor() {
    if (inMonitor_)
        return;
    TickGuard guard(inMonitor_);
    runRecorderMonitor(program_, *this, style_.automaticSavePrefix);
}

void RecorderPanel::cmdRecord_Click() {
    // A fresh device in the chosen format: the new take replaces the old one.
    program_.wave.OpenCaptureDevice();
    program_.wave.ApplyCaptureFormat();
    program_.wave.StartRecording(style_.stationToRecord ? program_.recorderState.Source
                                                        : CaptureSource::SoundCard);
    program_.recorderState.StartTime = program_.now();
    cmdStop.setEnabled(true);
    if (style_.playsTheTakeBack)
        cmdPlay.setEnabled(false);
    if (style_.asksBeforeDiscardingATake)
        cmdSave.setEnabled(false);
    cmdRecord.setEnabled(false);
    showSaveWhileUnsaved();
}

void RecorderPanel::cmdStop_Click() {
    program_.wave.StopRecording();
    if (style_.asksBeforeDiscardingATake)
        cmdSave.setEnabled(true);
    cmdRecord.setEnabled(true);
    cmdPlay.setEnabled(true);
    cmdStop.setEnabled(false);
    finishStoppedTake();
    if (style_.saveDialogAfterStop)
        offerSaveDialog();
}

void RecorderPanel::finishStoppedTake() {
    RecorderState& s = program_.recorderState;
    Recorder& wave = program_.wave;
    if (wave.GetCapturePosition() == 0) {
        Slider1.setMax(100);
    } else if (s.RecordImmediate) {
        if (!s.Playing)
            Slider1.setMax(wave.GetCapturePosition());
    } else if (s.ProgrammedRunning) {
        Slider1.setMax(wave.GetCapturePosition());
    }
    // A programmed recording stopped by hand counts as done: the monitor neither restarts
    // nor saves it.
    if (s.ProgrammedRunning)
        s.ProgrammedDone = true;
    s.StopTime = program_.now();
    s.ProgrammedRunning = false;
    s.Playing = false;
    settingsDialogBackToImmediate(program_);
    program_.form<frmSettings>().lblTimes.setVisible(false);
}

bool RecorderPanel::offerSaveDialog() {
    SaveDialogRequest request;
    request.title = "保存录音文件";
    request.initialFolder = program_.programFolder() + "\\录音文件";
    request.fileName = proposedFileName();
    request.filter = "WAV file (*.wav*)|*.wav";
    request.overwritePrompt = true;
    Prompts& prompts = program_.platform.prompts;
    const std::optional<std::string> chosen = prompts.saveFileDialog(request);
    if (chosen && !chosen->empty())
        return program_.wave.SaveRecording(*chosen);
    // Cancel leaves a take of the sound card in the device, unsaved. A take of the station is
    // already a file: it stays, and the user learns where.
    const std::vector<std::string> kept = program_.wave.keepUnsavedTake();
    if (!kept.empty()) {
        std::string files;
        for (const std::string& part : kept)
            files += "\r\n" + part;
        prompts.messageBox("录音没有保存，它留在：" + files +
                               "\r\n点“保存”可以另存；重置或开始新录音时不会删除它。",
                           kAppTitle, MsgButtons::Ok, MsgIcon::None);
    }
    return false;
}

void RecorderPanel::cmdSave_Click() {
    RecorderState& s = program_.recorderState;
    // A playback holds the device the take is saved from.
    if (s.Playing) {
        program_.wave.StopRecording();
        s.Playing = false;
    }
    if (offerSaveDialog())
        cmdSave.setEnabled(false);  // nothing left unsaved to guard
    showSaveWhileUnsaved();
}

void RecorderPanel::showSaveWhileUnsaved() {
    const bool unsaved = program_.recorderState.TakeUnsaved && !recording();
    if (unsaved)
        cmdSave.setEnabled(true);
    cmdSave.setVisible(unsaved);
}

void RecorderPanel::cmdPlay_Click() {
    if (!style_.playsTheTakeBack) {
        program_.form<frmDingshishouting>().show();
        return;
    }
    program_.wave.PlayFromPosition(Slider1.value());
    program_.recorderState.Playing = true;
    cmdStop.setEnabled(true);
    cmdPlay.setEnabled(false);
}

void RecorderPanel::cmdShijian_Click() {
    DingshiGuanji::open(program_);
}

bool RecorderPanel::confirmDiscard(const char* recordingQuestion, const char* unsavedQuestion) {
    Prompts& prompts = program_.platform.prompts;
    if (indicator() == kRecordingIndicator &&
        prompts.messageBox(recordingQuestion, kAppTitle, MsgButtons::YesNo, MsgIcon::None) ==
            MsgAnswer::No)
        return false;
    return !style_.asksBeforeDiscardingATake || !cmdSave.enabled() ||
           prompts.messageBox(unsavedQuestion, kAppTitle, MsgButtons::YesNo, MsgIcon::None) !=
               MsgAnswer::No;
}

void RecorderPanel::clearTake() {
    Slider1.setMax(100);
    Slider1.setValue(0);
    Slider1.refresh();
    cmdRecord.setEnabled(true);
    cmdStop.setEnabled(false);
    cmdPlay.setEnabled(false);
    if (style_.asksBeforeDiscardingATake)
        cmdSave.setEnabled(false);
}

void RecorderPanel::cmdSettings_Click() {
    if (!confirmDiscard("你正在录音，继续将导致录音停止！继续吗？",
                        "你刚才的录音还没有保存，继续将导致它不能再保存。\r你确定不再保存它吗？"))
        return;
    clearTake();
    RecorderState& s = program_.recorderState;
    readSaveSettings(program_.platform.settings, s);
    s.resetToImmediate();
    frmSettings& dialog = program_.form<frmSettings>();
    dialog.optRecordImmediate.setValue(true);
    dialog.show(true);
}

void RecorderPanel::cmdReset_Click() {
    if (!confirmDiscard("你正在录音，继续将导致数据丢失！继续吗？",
                        "你刚才的录音还没有保存，继续将导致数据丢失！继续吗？"))
        return;
    clearTake();
    RecorderState& s = program_.recorderState;
    program_.wave.OpenCaptureDevice();
    readRecorderSettings(program_.platform.settings, s);
    readCaptureSource(program_.platform.settings, s);
    s.resetToImmediate();
    program_.wave.ApplyCaptureFormat();
    // The device no longer holds the saved take, so the file can take its long name now.
    if (s.RenamePending)
        program_.wave.FinishPendingRename();
}

void RecorderPanel::setPanelWidths(double panel1Factor, double panel2Factor) {
    const double w = window_.width();
    const double p1 = panel1Factor * w;
    const double p2 = panel2Factor * w;
    StatusBar1.setPanelWidth(1, p1);
    StatusBar1.setPanelWidth(2, p2);
    StatusBar1.setPanelWidth(3, w - p1 - p2);
}

void RecorderPanel::offerWideWindow() {
    cmdmore.setVisible(true);
    cmdgoback.setVisible(false);
}

void RecorderPanel::cmdmore_Click() {
    cmdmore.setVisible(false);
    cmdgoback.setVisible(true);
    window_.setWidth(kWideWidth);
    setPanelWidths(0.08, 0.10);
}

void RecorderPanel::cmdgoback_Click() {
    window_.setWidth(kCompactWidth);
    setCompactPanelWidths();
    offerWideWindow();
}

// Seven equal slots, left to right: 录音, 停止, 定时1, 定时2, 重置, 设置, and 更多 or 还原 (which
// share the last slot).
void RecorderPanel::layOutButtonRow(double windowWidth) {
    for (ui::Button* b : {&cmdRecord, &cmdStop, &cmdPlay, &cmdReset, &cmdSettings, &cmdmore,
                          &cmdgoback, &cmdShijian})
        b->setWidth(windowWidth / 7);
    cmdmore.setTop(cmdRecord.top());
    cmdgoback.setLeft(cmdmore.left());
    cmdgoback.setTop(cmdmore.top());
    cmdmore.setHeight(cmdRecord.height());
    cmdStop.setLeft(cmdRecord.width());
    ui::Button* previous = &cmdStop;
    for (ui::Button* b : {&cmdPlay, &cmdShijian, &cmdReset, &cmdSettings, &cmdmore}) {
        b->setLeft(previous->left() + previous->width());
        previous = b;
    }
    cmdgoback.setLeft(cmdmore.left());
    cmdShijian.setTop(cmdRecord.top());
    // Under "录音", where it covers no other button: in the main window the corner of the radio
    // pane, in the offline window free space left of the notice.
    cmdSave.setBounds(cmdRecord.left(), cmdRecord.top() + cmdRecord.height(), cmdRecord.width(),
                      cmdRecord.height());
}

}  // namespace sonorin
