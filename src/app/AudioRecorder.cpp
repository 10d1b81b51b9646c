#include "app/AudioRecorder.h"

#include <exception>
#include <initializer_list>

#include "app/DingshiGuanji.h"
#include "app/FrmnoConnection.h"
#include "app/config.h"
#include "app/frmAbout.h"
#include "app/frmDingshishouting.h"
#include "app/frmSettings.h"
#include "app/program.h"
#include "recorder/settings.h"

namespace sonorin {
namespace {

// Start-up and unload go on whatever one step does: a failing step is skipped silently.
template <class Step>
void resumeNext(Step&& step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

}  // namespace

AudioRecorder::AudioRecorder(Program& program)
    : ui::Form(program.forms, "AudioRecorder"),
      panel(*this, program, kMainWindowPanel, Slider1, StatisticsLabel, StatusBar1),
      program_(program) {
    setCaption(kMainCaption);
    setBorder(ui::BorderStyle::FixedSingle, true, false);
    setClientSize(4785, 5235);

    Command1.setCaption("定时收听");
    Command3.setCaption("停止收听");
    Command4.setCaption("启动后自动收听");
    for (ui::Control* hidden :
         std::initializer_list<ui::Control*>{&Command1, &Command3, &Command4, &Label1})
        hidden->setVisible(false);
    Frame5.setCaption("Starting position for play (in milliseconds)");
    Slider1.setMax(100);
    Frame4.setCaption("Statistics");
    StatisticsLabel.setToolTip("Information about the recording");
    mnuTray.setVisible(false);
    placeDesignGeometry();

    Timer2.onTick = [this] { Timer2_Timer(); };
    mnuExit.onClick = [this] { mnuExit_Click(); };
    mnuTrayexit.onClick = [this] { mnuTrayexit_Click(); };
    mnu_traymaxmized.onClick = [this] { mnu_traymaxmized_Click(); };
    mnuGuanji.onClick = [this] { DingshiGuanji::open(program_); };
    Mnu_DingshiGuanji.onClick = [this] { DingshiGuanji::open(program_); };
    mnu_about.onClick = [this] { program_.form<frmAbout>().show(); };
    mnu_TrayAbout.onClick = [this] { program_.form<frmAbout>().show(); };
    // The settings dialog opened from a menu is modeless and prepares nothing.
    MnuRecord.onClick = [this] { program_.form<frmSettings>().show(); };
    mnu_settings.onClick = [this] { program_.form<frmSettings>().show(); };
    mnuShouting.onClick = [this] { program_.form<frmDingshishouting>().show(); };
    Mnu_DingshiShouting.onClick = [this] { program_.form<frmDingshishouting>().show(); };
    wireRadioPane();
    wirePlayerControls();
    wireListening();
}

void AudioRecorder::placeDesignGeometry() {
    WebBrowser1.setBounds(-120, 720, 13095, 4215);
    StatusBar1.setBounds(0, 4935, 4785, 300);
    Frame5.setBounds(5640, 3600, 4815, 615);
    Slider1.setBounds(480, 240, 4095, 255);
    Frame4.setBounds(6600, 6480, 4935, 855);
    StatisticsLabel.setBounds(6840, 6720, 4695, 375);
    ProgressBar1.setBounds(1440, 7560, 8775, 255);
}

void AudioRecorder::Form_Load() {
    Platform& p = program_.platform;
    RecorderState& s = program_.recorderState;
    const std::string folder = program_.programFolder();

    // The window opens at the compact width that "还原" returns to (the design's client width
    // with the frame is a few pixels narrower, by an amount that varies with the DPI), where
    // the layout keeps it: the plan window, which the first layout loads, docks to the place
    // the window stays at.
    resumeNext([&] {
        const double w = RecorderPanel::kCompactWidth;
        move(p.windows.screenWidth() / 2 - w / 2, p.windows.screenHeight() / 2 - height() / 2, w,
             height());
    });
    resumeNext([&] { program_.SkinForm(*this); });

    resumeNext([&] {
        const std::string recordings = folder + kRecordingsFolder;
        if (p.files.findFirst(recordings, true).empty())
            p.files.createFolder(recordings);
    });
    resumeNext([&] {
        if (p.shell.checkConnection(config::connectivityTestUrl())) {
            WebBrowser1.navigate(config::portalHost() + "/radio");
        } else {
            hiddenAtStart_ = true;
            hide();
            program_.form<FrmnoConnection>().show();
        }
    });
    resumeNext([&] { panel.offerWideWindow(); });
    resumeNext([&] {
        program_.TrayForm = this;
        program_.TrayMenu = &mnuTray;
    });
    resumeNext([&] { program_.wave.OpenCaptureDevice(); });
    resumeNext([&] {
        readRecorderSettings(p.settings, s);
        readCaptureSource(p.settings, s);
    });
    resumeNext([&] { restoreVolume(); });
    resumeNext([&] { s.resetToImmediate(); });
    resumeNext([&] { program_.wave.ApplyCaptureFormat(); });
    resumeNext([&] {
        s.StartTime = program_.now().addMinutes(15);
        s.StopTime = s.StartTime.addMinutes(15);
    });
    resumeNext([&] { s.RenamePending = false; });
    resumeNext([&] { program_.ensureDesktopShortcut(); });
    resumeNext([&] {
        Label1.setCaption("5");
        Timer3.setInterval(300);
    });
}

void AudioRecorder::Form_QueryUnload(int& cancel, int unloadMode) {
    if (unloadMode == ui::kUnloadAppWindows || program_.exiting() ||
        indicator() != kRecordingIndicator)
        return;
    const MsgAnswer answer = program_.platform.prompts.messageBox(
        "正在录音，您确定要关闭吗？", "", MsgButtons::YesNo, MsgIcon::Question);
    if (answer != MsgAnswer::No)
        return;
    cancel = 1;
    // A minimized window that refused to close goes to the tray.
    program_.goToTrayIfMinimized();
}

void AudioRecorder::Form_Unload(int& cancel) {
    Platform& p = program_.platform;
    // Unloaded for another window's exit, which ends the process once all have gone.
    const bool partOfAnExit = program_.exiting();
    bool othersGone = true;
    resumeNext([&] { othersGone = program_.unloadOtherWindows(*this); });
    if (!othersGone) {
        // A window kept itself (the armed shutdown timer's "否"): the exit is called off.
        cancel = 1;
        return;
    }
    resumeNext([&] { program_.UnskinForm(*this); });
    if (partOfAnExit)
        return;  // the window that ends the process closes the device and saves the settings
    resumeNext([&] { program_.wave.CloseCaptureDevice(); });
    resumeNext([&] {
        writeRecorderSettings(p.settings, program_.recorderState);
        writeCaptureSource(p.settings, program_.recorderState);
    });
    resumeNext([&] {
        if (program_.recorderState.RenamePending)
            program_.wave.FinishPendingRename();
    });
    // An icon left behind would stay in the tray until the mouse passes over it.
    resumeNext([&] { program_.module1.RemoveTrayIcon(); });
    program_.endProcess();
}

void AudioRecorder::mnuExit_Click() {
    unload(ui::kUnloadFormCode);
}

void AudioRecorder::mnuTrayexit_Click() {
    const bool wasInTray = program_.module1.mainInTray();
    program_.module1.RemoveTrayIcon();
    // An exit called off (the armed shutdown timer's "否") leaves the window hidden; only its
    // icon can bring it back, for the user and for a second start alike.
    if (program_.TrayForm && !program_.TrayForm->unload(ui::kUnloadFormCode) && wasInTray) {
        program_.module1.AddTrayIcon();
        program_.module1.HideWhenMinimized();
    }
}

void AudioRecorder::mnu_traymaxmized_Click() {
    program_.module1.RemoveTrayIcon();
    setWindowState(ui::WindowState::Normal);
    show();
    program_.platform.windows.activate(*this);
}

int AudioRecorder::listeningPlanCount() {
    return program_.form<frmDingshishouting>().ListView1.rowCount();
}

}  // namespace sonorin
