#include "app/frmSettings.h"

#include <optional>
#include <string>

#include "app/AudioRecorder.h"
#include "app/program.h"
#include "base/app_title.h"
#include "base/datetext.h"

namespace sonorin {
namespace {

// Layout in twips. Sample format on top (rate on the left, channels and resolution on the
// right) with the recording source in a third column beside it, recording mode and
// programmed times below, then saving, the times label and the two command buttons. The
// dialog grows sideways rather than downwards, so that it still fits a short screen at 200 %.
constexpr double kMargin = 120;
constexpr double kColumnWidth = 2520;
constexpr double kRightColumn = kMargin + kColumnWidth + 120;
constexpr double kFormatWidth = 5400;  // the two columns of the format, the mode and saving
constexpr double kSourceColumn = kRightColumn + kColumnWidth + 120;
constexpr double kClientWidth = kSourceColumn + kColumnWidth + kMargin;
constexpr double kClientHeight = 5145;
constexpr double kButtonTop = 4620;
constexpr double kOptionHeight = 255;
constexpr double kButtonWidth = 1095;
constexpr double kButtonHeight = 375;

}  // namespace

frmSettings::frmSettings(Program& program)
    : ui::Form(program.forms, "frmSettings"), program_(program) {
    setCaption("参数设置");
    setBorder(ui::BorderStyle::FixedDialog, false, false);
    setClientSize(kClientWidth, kClientHeight);

    Frame1.setCaption("取样率(Hz)");
    Frame1.setBounds(kMargin, 120, kColumnWidth, 1800);
    ui::OptionButton* rates[] = {&optRate6000, &optRate8000, &optRate11025, &optRate22050,
                                 &optRate44100};
    const char* rateCaptions[] = {"6000", "8000", "11025", "22050", "44100"};
    for (int i = 0; i < 5; ++i) {
        rates[i]->setCaption(rateCaptions[i]);
        rates[i]->setBounds(240, 300 + 285 * i, 1560, kOptionHeight);
    }

    Frame2.setCaption("模式");
    Frame2.setBounds(kRightColumn, 120, kColumnWidth, 840);
    optMono.setCaption("单声道");
    optMono.setBounds(240, 360, 1080, kOptionHeight);
    optStereo.setCaption("立体声");
    optStereo.setBounds(1320, 360, 1080, kOptionHeight);

    Frame3.setCaption("比特率");
    Frame3.setBounds(kRightColumn, 1080, kColumnWidth, 840);
    opt8bits.setCaption("8 bits");
    opt8bits.setBounds(240, 360, 1080, kOptionHeight);
    opt16bits.setCaption("16 bits");
    opt16bits.setBounds(1320, 360, 1080, kOptionHeight);

    Frame6.setCaption("录音选择");
    Frame6.setBounds(kMargin, 2040, kColumnWidth, 840);
    optRecordImmediate.setCaption("手动录音");
    optRecordImmediate.setBounds(180, 360, 1140, kOptionHeight);
    optRecordProgrammed.setCaption("计划录音");
    optRecordProgrammed.setBounds(1320, 360, 1140, kOptionHeight);

    frmTimes.setCaption("时间确认");
    frmTimes.setBounds(kRightColumn, 2040, kColumnWidth, 840);
    cmdStartTime.setCaption("开始时间");
    cmdStartTime.setBounds(180, 300, 1080, kButtonHeight);
    cmdStopTime.setCaption("结束时间");
    cmdStopTime.setBounds(1320, 300, 1080, kButtonHeight);

    frmManualAuto.setCaption("保存文件");
    frmManualAuto.setBounds(kMargin, 3000, kFormatWidth - 2 * kMargin, 840);
    Option10.setCaption("手动");
    Option10.setBounds(240, 360, 960, kOptionHeight);
    Option11.setCaption("自动");
    Option11.setBounds(1320, 360, 960, kOptionHeight);
    cmdFileName.setCaption("文件名");
    cmdFileName.setBounds(3840, 300, 1080, kButtonHeight);

    // Two lines of "Start time:  2026/12/6 20:00:00" fit with room to spare.
    lblTimes.setCaption(" ");
    lblTimes.setBounds(240, 3960, kFormatWidth - 480, 540);

    Frame7.setCaption("录音来源");
    Frame7.setBounds(kSourceColumn, 120, kColumnWidth, 1800);
    optSourceSoundCard.setCaption("声卡");
    optSourceSoundCard.setBounds(240, 360, 2160, kOptionHeight);
    optSourceStation.setCaption("正在收听的电台");
    optSourceStation.setBounds(240, 720, 2160, kOptionHeight);

    cmdcancle.setCaption("取消");
    cmdcancle.setBounds(kClientWidth - kMargin - kButtonWidth, kButtonTop, kButtonWidth,
                        kButtonHeight);
    cmdOke.setCaption("确定");
    cmdOke.setBounds(cmdcancle.left() - 120 - kButtonWidth, kButtonTop, kButtonWidth,
                     kButtonHeight);

    frmTimes.setVisible(false);
    frmManualAuto.setVisible(false);
    lblTimes.setVisible(false);

    optRate6000.onClick = [this] { optRate6000_Click(); };
    optRate8000.onClick = [this] { optRate8000_Click(); };
    optRate11025.onClick = [this] { optRate11025_Click(); };
    optRate22050.onClick = [this] { optRate22050_Click(); };
    optRate44100.onClick = [this] { optRate44100_Click(); };
    optMono.onClick = [this] { optMono_Click(); };
    optStereo.onClick = [this] { optStereo_Click(); };
    opt8bits.onClick = [this] { opt8bits_Click(); };
    opt16bits.onClick = [this] { opt16bits_Click(); };
    optRecordImmediate.onClick = [this] { optRecordImmediate_Click(); };
    optRecordProgrammed.onClick = [this] { optRecordProgrammed_Click(); };
    optSourceSoundCard.onClick = [this] { optSourceSoundCard_Click(); };
    optSourceStation.onClick = [this] { optSourceStation_Click(); };
    Option10.onClick = [this] { Option10_Click(); };
    Option11.onClick = [this] { Option11_Click(); };
    cmdStartTime.onClick = [this] { cmdStartTime_Click(); };
    cmdStopTime.onClick = [this] { cmdStopTime_Click(); };
    cmdFileName.onClick = [this] { cmdFileName_Click(); };
    cmdOke.onClick = [this] { cmdOke_Click(); };
    cmdcancle.onClick = [this] { cmdcancle_Click(); };
}

RecorderState& frmSettings::state() {
    return program_.recorderState;
}

// The recorder monitor loads this dialog behind the user's back (on its first tick, and on
// the tick after OK or Cancel unloaded it), so selecting the mode here only shows the state:
// it must not enable Record in the middle of a take, nor move the times of a programmed
// recording that is already armed or running.
void frmSettings::Form_Load() {
    program_.SkinForm(*this);
    RecorderState& s = state();
    loading_ = true;
    switch (s.Rate) {
        case 6000:
            optRate6000.setValue(true);
            break;
        case 8000:
            optRate8000.setValue(true);
            break;
        case 11025:
            optRate11025.setValue(true);
            break;
        case 22050:
            optRate22050.setValue(true);
            break;
        case 44100:
            optRate44100.setValue(true);
            break;
        default:
            break;
    }
    if (s.Channels == 1) {
        optMono.setValue(true);
    } else if (s.Channels == 2) {
        optStereo.setValue(true);
    }
    if (s.Resolution == 8) {
        opt8bits.setValue(true);
    } else if (s.Resolution == 16) {
        opt16bits.setValue(true);
    }
    if (s.RecordImmediate) {
        optRecordImmediate.setValue(true);
    } else {
        optRecordProgrammed.setValue(true);
    }
    if (s.WaveAutomaticSave) {
        Option11.setValue(true);
    } else {
        Option10.setValue(true);
    }
    if (s.Source == CaptureSource::Station) {
        optSourceStation.setValue(true);
    } else {
        optSourceSoundCard.setValue(true);
    }
    loading_ = false;
}

void frmSettings::optRate6000_Click() {
    state().Rate = 6000;
}
void frmSettings::optRate8000_Click() {
    state().Rate = 8000;
}
void frmSettings::optRate11025_Click() {
    state().Rate = 11025;
}
void frmSettings::optRate22050_Click() {
    state().Rate = 22050;
}
void frmSettings::optRate44100_Click() {
    state().Rate = 44100;
}
void frmSettings::optMono_Click() {
    state().Channels = 1;
}
void frmSettings::optStereo_Click() {
    state().Channels = 2;
}
void frmSettings::opt8bits_Click() {
    state().Resolution = 8;
}
void frmSettings::opt16bits_Click() {
    state().Resolution = 16;
}
// The next take records the new source; a take that runs keeps its own.
void frmSettings::optSourceSoundCard_Click() {
    state().Source = CaptureSource::SoundCard;
}
void frmSettings::optSourceStation_Click() {
    state().Source = CaptureSource::Station;
}
void frmSettings::Option10_Click() {
    state().WaveAutomaticSave = false;
}
void frmSettings::Option11_Click() {
    state().WaveAutomaticSave = true;
}

void frmSettings::optRecordImmediate_Click() {
    state().RecordImmediate = true;
    showProgrammedControls(false);
    if (!loading_)
        enableRecordButton(true);
}

// Arms a programmed recording: the monitor acts on it from its next tick, OK or not. The
// times of a take that already runs stay as they are: its start has happened and its name
// and stop come from them.
void frmSettings::optRecordProgrammed_Click() {
    RecorderState& s = state();
    s.RecordImmediate = false;
    showProgrammedControls(true);
    enableRecordButton(false);
    if (loading_ || s.ProgrammedRunning)
        return;
    const DateTime now = program_.now();
    if (s.StartTime < now) {
        s.StartTime = now.addMinutes(15);
        s.StopTime = s.StartTime.addMinutes(15);
    }
}

bool frmSettings::timesLocked() {
    if (!state().ProgrammedRunning)
        return false;
    tellUser("计划录音正在进行，不能更改时间！");
    return true;
}

void frmSettings::cmdStartTime_Click() {
    RecorderState& s = state();
    if (timesLocked())
        return;
    const std::string answer = program_.platform.prompts.inputBox("输入录音开始时间", "开始时间",
                                                                  program_.dateText(s.StartTime));
    if (answer.empty())
        return;  // also Cancel
    const DateTime now = program_.now();
    const std::optional<DateTime> t =
        parseDateTime(answer, program_.platform.clock.dateFormats(), now);
    if (!t) {
        tellUser("你输入的时间无效!");
        return;
    }
    if (*t < now) {
        tellUser("开始时间不能早于现在时间！");
        s.StartTime = now.addMinutes(15);
    } else {
        s.StartTime = *t;
    }
    if (s.StopTime < s.StartTime)
        s.StopTime = s.StartTime.addMinutes(15);
}

void frmSettings::cmdStopTime_Click() {
    RecorderState& s = state();
    if (timesLocked())
        return;
    // An out-of-date stop time is not offered; the proposal is only stored when accepted.
    const DateTime proposal = s.StopTime < s.StartTime ? s.StartTime.addMinutes(15) : s.StopTime;
    const std::string answer = program_.platform.prompts.inputBox("输入录音结束时间", "结束时间",
                                                                  program_.dateText(proposal));
    if (answer.empty())
        return;
    const std::optional<DateTime> t =
        parseDateTime(answer, program_.platform.clock.dateFormats(), program_.now());
    if (!t) {
        tellUser("你输入的时间无效!");
        return;
    }
    if (*t < s.StartTime) {
        tellUser("结束时间必须晚于开始时间!");
        s.StopTime = s.StartTime.addMinutes(5);
    } else {
        s.StopTime = *t;
    }
}

// The answer is taken as it comes: Cancel leaves an empty name. Automatic saving builds its
// own name from the times, so an empty name loses nothing.
void frmSettings::cmdFileName_Click() {
    RecorderState& s = state();
    s.WaveFileName = program_.platform.prompts.inputBox(
        "Filename: ", "Filename for automatic saving", s.WaveFileName);
}

// Applying the format seeks the device to its start, which ends a running take; the next
// take applies the chosen format anyway.
void frmSettings::cmdOke_Click() {
    if (!program_.form<AudioRecorder>().panel.recording())
        program_.wave.ApplyCaptureFormat();
    unload();
}

// Cancel disarms a programmed recording; the format, times and name chosen before stay.
void frmSettings::cmdcancle_Click() {
    state().RecordImmediate = true;
    showProgrammedControls(false);
    enableRecordButton(true);
    unload();
}

void frmSettings::showProgrammedControls(bool shown) {
    frmManualAuto.setVisible(shown);
    frmTimes.setVisible(shown);
    lblTimes.setVisible(shown);
}

// Record is never offered while a take records: its click would discard the take.
void frmSettings::enableRecordButton(bool enabled) {
    AudioRecorder& main = program_.form<AudioRecorder>();
    if (enabled && main.panel.recording())
        return;
    main.cmdRecord.setEnabled(enabled);
}

void frmSettings::tellUser(const char* message) {
    program_.platform.prompts.messageBox(message, kAppTitle, MsgButtons::Ok, MsgIcon::None);
}

}  // namespace sonorin
