#include "app/FrmnoConnection.h"

#include "app/AudioRecorder.h"
#include "app/DingshiGuanji.h"
#include "app/config.h"
#include "app/frmAbout.h"
#include "app/program.h"
#include "recorder/settings.h"

namespace sonorin {

FrmnoConnection::FrmnoConnection(Program& program)
    : ui::Form(program.forms, "FrmnoConnection"),
      panel(*this, program, kOfflineWindowPanel, Slider1, StatisticsLabel, StatusBar1),
      program_(program) {
    setCaption(kMainCaption);
    setBorder(ui::BorderStyle::FixedSingle, false, false);
    setClientSize(4785, 2535);

    Label1.setCaption("没有联网，不能收听");
    Label1.setBounds(1500, 1215, 2160, 300);
    LabelRecordHint.setBounds(1500, 1575, 3000, 300);
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

    Timer1.onTick = [this] { Timer1_Timer(); };
    Timer2.onTick = [this] { Timer2_Timer(); };
    mnuhelpcontent.onClick = [this] { mnuhelpcontent_Click(); };
    mnu_website.onClick = [this] { mnu_website_Click(); };
    mnuabout.onClick = [this] { mnuabout_Click(); };
    showWayToRecord();
}

void FrmnoConnection::showWayToRecord() {
    const bool waitsForReset = !cmdRecord.enabled() && !panel.recording();
    // Without a network no station plays: a take here always records the sound card.
    const bool stationChosen = program_.recorderState.Source == CaptureSource::Station;
    if (waitsForReset)
        LabelRecordHint.setCaption("点“重置”后可以录音");
    else if (stationChosen)
        LabelRecordHint.setCaption("没有联网时录不到电台，录音将使用声卡");
    LabelRecordHint.setVisible(waitsForReset || stationChosen);
}

void FrmnoConnection::Form_Load() {
    program_.SkinForm(*this);
    RecorderState& s = program_.recorderState;
    AudioRecorder& main = program_.form<AudioRecorder>();
    setWidth(main.width());
    panel.offerWideWindow();

    program_.wave.OpenCaptureDevice();
    readRecorderSettings(program_.platform.settings, s);
    readCaptureSource(program_.platform.settings, s);
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
    writeCaptureSource(program_.platform.settings, program_.recorderState);
    if (program_.recorderState.RenamePending)
        program_.wave.FinishPendingRename();
    program_.module1.RemoveTrayIcon();
    // Closing the offline window ends the program.
    program_.endProcess();
}

void FrmnoConnection::Form_Resize() {
    Label1.setLeft((width() - Label1.width()) / 2 + 200);
    Image1.setLeft(Label1.left() - Image1.width() - 100);
    LabelRecordHint.setLeft(Label1.left());

    const double w = width();
    panel.setCompactPanelWidths();
    panel.layOutButtonRow(w);
}

void FrmnoConnection::Timer1_Timer() {
    Platform& p = program_.platform;
    if (!p.shell.checkConnection(config::connectivityTestUrl()))
        return;
    AudioRecorder& main = program_.form<AudioRecorder>();
    // The main window's buttons have not followed what was done here; a recording that goes
    // on must be stoppable there. Without one the main window keeps its own start states:
    // this window's "录音" waits for "重置", the main window's does not.
    if (visible() && panel.recording()) {
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
