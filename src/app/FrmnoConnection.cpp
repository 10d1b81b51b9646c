#include "app/FrmnoConnection.h"

#include "app/AudioRecorder.h"
#include "app/DingshiGuanji.h"
#include "app/config.h"
#include "app/frmAbout.h"
#include "app/frmSettings.h"
#include "app/program.h"
#include "app/recorder_monitor.h"
#include "base/app_title.h"
#include "recorder/settings.h"

namespace sonorin {

FrmnoConnection::FrmnoConnection(Program& program)
    : ui::Form(program.forms, "FrmnoConnection"), program_(program) {
    setCaption(kMainCaption);
    setBorder(ui::BorderStyle::FixedSingle, false, false);
    setClientSize(4785, 2535);

    struct Face {
        ui::Button& button;
        const char* caption;
        const char* toolTip;
        bool enabled;
    };
    // Settings and Reset are usable here as in the main window, so that the offline
    // recorder can be set up and started over.
    const Face faces[] = {
        {cmdRecord, "录音", "开始录音", false},
        {cmdStop, "停止", "停止录音或回放", false},
        {cmdPlay, "定时1", "录音回放", false},
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
    cmdSave.setVisible(false);
    cmdgoback.setVisible(false);
    for (ui::Button* b :
         {&cmdRecord, &cmdStop, &cmdPlay, &cmdReset, &cmdSettings, &cmdShijian, &cmdmore})
        b->setBounds(0, 0, 615, 735);
    cmdgoback.setBounds(0, 840, 615, 735);
    cmdSave.setBounds(1800, 0, 615, 735);

    Label1.setCaption("没有联网，不能收听");
    Label1.setBounds(1500, 1215, 2160, 300);
    Image1.setPicture(ui::Image::kAppIcon);
    Image1.setBounds(900, 1080, 480, 480);
    Image2.setVisible(false);
    Command1.setVisible(false);
    // Beside the notice, seen when the window is widened.
    Frame5.setCaption("Starting position for play (in milliseconds)");
    Frame5.setBounds(5640, 900, 4815, 615);
    Slider1.setBounds(480, 240, 4095, 255);
    Slider1.setMax(100);
    StatisticsLabel.setToolTip("Information about the recording");
    StatisticsLabel.setBounds(5760, 1620, 4695, 375);
    StatusBar1.setBounds(0, 2235, 4785, 300);

    cmdRecord.onClick = [this] { cmdRecord_Click(); };
    cmdStop.onClick = [this] { cmdStop_Click(); };
    cmdPlay.onClick = [this] { cmdPlay_Click(); };
    cmdSettings.onClick = [this] { cmdSettings_Click(); };
    cmdReset.onClick = [this] { cmdReset_Click(); };
    cmdShijian.onClick = [this] { cmdShijian_Click(); };
    cmdmore.onClick = [this] { cmdmore_Click(); };
    cmdgoback.onClick = [this] { cmdgoback_Click(); };
    Timer1.onTick = [this] { Timer1_Timer(); };
    Timer2.onTick = [this] { Timer2_Timer(); };
    mnuhelpcontent.onClick = [this] { mnuhelpcontent_Click(); };
    mnu_website.onClick = [this] { mnu_website_Click(); };
    mnuabout.onClick = [this] { mnuabout_Click(); };
}

void FrmnoConnection::Form_Load() {
    program_.SkinForm(*this);
    RecorderState& s = program_.recorderState;
    AudioRecorder& main = program_.form<AudioRecorder>();
    setWidth(main.width());
    cmdmore.setVisible(true);
    cmdgoback.setVisible(false);

    program_.wave.OpenCaptureDevice();
    readRecorderSettings(program_.platform.settings, s);
    s.resetToImmediate();
    program_.wave.ApplyCaptureFormat();
    s.StartTime = program_.now().addMinutes(15);
    s.StopTime = s.StartTime.addMinutes(15);
    s.RenamePending = false;

    program_.ensureDesktopShortcut();
}

// The main window stays loaded behind this one and its monitor keeps the shared recording
// indicator current, so its question guards a running recording here too; a refused close
// of a minimized main window sends that window to the tray.
void FrmnoConnection::Form_QueryUnload(int& cancel, int unloadMode) {
    program_.form<AudioRecorder>().Form_QueryUnload(cancel, unloadMode);
}

void FrmnoConnection::Form_Unload(int& cancel) {
    // Whatever else is loaded (the main window behind this one, the plan window after the
    // network returned) unloads and saves before the process ends; an armed shutdown timer's
    // "否" keeps the program running. Unloaded for the main window's exit, it leaves the end
    // of the process to that window.
    const bool partOfAnExit = program_.exiting();
    if (!program_.unloadOtherWindows(*this)) {
        cancel = 1;
        return;
    }
    if (partOfAnExit)
        return;
    program_.wave.CloseCaptureDevice();
    writeRecorderSettings(program_.platform.settings, program_.recorderState);
    if (program_.recorderState.RenamePending)
        program_.wave.FinishPendingRename();
    program_.module1.RemoveTrayIcon();
    // Closing the offline window ends the program. Only this process ends: another running
    // copy of the program may be in the middle of a recording.
    program_.platform.shell.endProcess(0);
}

void FrmnoConnection::Form_Resize() {
    Label1.setLeft((width() - Label1.width()) / 2 + 200);
    Image1.setLeft(Label1.left() - Image1.width() - 100);

    const double w = width();
    setPanelWidths(0.15, 0.21);
    layOutButtonRow(
        {cmdRecord, cmdStop, cmdPlay, cmdShijian, cmdReset, cmdSettings, cmdmore, cmdgoback}, w);
}

void FrmnoConnection::setPanelWidths(double panel1Factor, double panel2Factor) {
    const double w = width();
    const double p1 = panel1Factor * w;
    const double p2 = panel2Factor * w;
    StatusBar1.setPanelWidth(1, p1);
    StatusBar1.setPanelWidth(2, p2);
    StatusBar1.setPanelWidth(3, w - p1 - p2);
}

void FrmnoConnection::Timer1_Timer() {
    Platform& p = program_.platform;
    if (!p.shell.checkConnection(config::connectivityTestUrl()))
        return;
    AudioRecorder& main = program_.form<AudioRecorder>();
    // The main window's buttons have not followed what was done here; a recording that goes
    // on must be stoppable there.
    if (visible()) {
        main.cmdRecord.setEnabled(cmdRecord.enabled());
        main.cmdStop.setEnabled(cmdStop.enabled());
        main.cmdPlay.setEnabled(cmdPlay.enabled());
    }
    hide();
    main.show();
    if (main.WebBrowser1.documentText().find("资讯") != std::string::npos)
        Timer1.setEnabled(false);
    else
        main.WebBrowser1.navigate(config::portalHost() + "/radio");
}

void FrmnoConnection::Timer2_Timer() {
    if (inTimer2_)
        return;
    inTimer2_ = true;
    runRecorderMonitor(program_,
                       {cmdRecord, cmdStop, cmdPlay, cmdSave, Slider1, StatisticsLabel, StatusBar1},
                       "广播录音_从");
    inTimer2_ = false;
}

void FrmnoConnection::cmdRecord_Click() {
    startHandTake(program_);
    cmdStop.setEnabled(true);
    cmdPlay.setEnabled(false);
    cmdSave.setEnabled(false);
    cmdRecord.setEnabled(false);
}

void FrmnoConnection::cmdStop_Click() {
    program_.wave.StopRecording();
    cmdSave.setEnabled(true);
    cmdRecord.setEnabled(true);
    cmdPlay.setEnabled(true);
    cmdStop.setEnabled(false);
    finishStoppedTake(program_, Slider1);
    // No save dialog here: the take stays in the device, marked unsaved by cmdSave.
}

void FrmnoConnection::cmdPlay_Click() {
    program_.wave.PlayFromPosition(Slider1.value());
    program_.recorderState.Playing = true;
    cmdStop.setEnabled(true);
    cmdPlay.setEnabled(false);
}

bool FrmnoConnection::confirmDiscard(const char* recordingQuestion, const char* unsavedQuestion) {
    Prompts& prompts = program_.platform.prompts;
    if (indicator() == kRecordingIndicator &&
        prompts.messageBox(recordingQuestion, kAppTitle, MsgButtons::YesNo, MsgIcon::None) ==
            MsgAnswer::No)
        return false;
    return !cmdSave.enabled() || prompts.messageBox(unsavedQuestion, kAppTitle, MsgButtons::YesNo,
                                                    MsgIcon::None) != MsgAnswer::No;
}

void FrmnoConnection::clearTake() {
    Slider1.setMax(100);
    Slider1.setValue(0);
    Slider1.refresh();
    cmdRecord.setEnabled(true);
    cmdStop.setEnabled(false);
    cmdPlay.setEnabled(false);
    cmdSave.setEnabled(false);
}

void FrmnoConnection::cmdSettings_Click() {
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

void FrmnoConnection::cmdReset_Click() {
    if (!confirmDiscard("你正在录音，继续将导致数据丢失！继续吗？",
                        "你刚才的录音还没有保存，继续将导致数据丢失！继续吗？"))
        return;
    clearTake();
    RecorderState& s = program_.recorderState;
    program_.wave.OpenCaptureDevice();
    readRecorderSettings(program_.platform.settings, s);
    s.resetToImmediate();
    program_.wave.ApplyCaptureFormat();
    if (s.RenamePending)
        program_.wave.FinishPendingRename();
}

void FrmnoConnection::cmdShijian_Click() {
    DingshiGuanji::open(program_);
}

void FrmnoConnection::cmdmore_Click() {
    cmdmore.setVisible(false);
    cmdgoback.setVisible(true);
    setWidth(10455);
    setPanelWidths(0.08, 0.10);
}

void FrmnoConnection::cmdgoback_Click() {
    setWidth(5040);
    setPanelWidths(0.15, 0.21);
    cmdmore.setVisible(true);
    cmdgoback.setVisible(false);
}

void FrmnoConnection::mnuhelpcontent_Click() {
    program_.platform.shell.run("notepad " + program_.programFolder() + "\\help.txt",
                                WindowShow::Normal);
}

void FrmnoConnection::mnu_website_Click() {
    program_.platform.shell.open("Open", config::makerSite(), "", program_.programFolder());
}

void FrmnoConnection::mnuabout_Click() {
    program_.form<frmAbout>().show();
}

}  // namespace sonorin
