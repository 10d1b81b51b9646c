#include "app/DingshiGuanji.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <vector>

#include "app/Module1.h"
#include "app/program.h"
#include "app/recorder_monitor.h"
#include "app/recorder_panel.h"
#include "base/app_title.h"
#include "shutdown/ExitWindow.h"

namespace sonorin {
namespace {

constexpr const char* kActions[] = {"关机", "重启", "注销"};
constexpr int kBackspace = 8;

// Collects the recorder's failure messages for as long as it lives.
class HeldFailures {
  public:
    HeldFailures(Recorder& recorder, std::vector<std::string>& into) : recorder_(recorder) {
        recorder_.holdFailures(&into);
    }
    ~HeldFailures() { recorder_.holdFailures(nullptr); }
    HeldFailures(const HeldFailures&) = delete;
    HeldFailures& operator=(const HeldFailures&) = delete;

  private:
    Recorder& recorder_;
};

bool isDigitKey(int key) {
    return key >= '0' && key <= '9';
}

// The number a box shows; an empty or unreadable text counts as 0 and a number too large for
// the window's 16-bit counters as the largest one.
long long boxNumber(const ui::ComboBox& box) {
    long long value = 0;
    for (char c : box.text()) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return 0;
        value = std::min<long long>(value * 10 + (c - '0'), std::numeric_limits<int>::max());
    }
    return value;
}

void fill(ui::ComboBox& box, int last) {
    box.clear();
    for (int i = 0; i <= last; ++i)
        box.addItem(std::to_string(i));
}

}  // namespace

DingshiGuanji::DingshiGuanji(Program& program)
    : ui::Form(program.forms, "DingshiGuanji"), program_(program) {
    setCaption("DingshiGuanji");
    setBorder(ui::BorderStyle::FixedSingle, true, false);
    setClientSize(5460, 3000);

    Frame1.setBounds(120, 60, 5220, 2190);
    Option1.setCaption("定时关机");
    Option1.setBounds(240, 360, 1140, 300);
    Option2.setCaption("倒计时关机");
    Option2.setBounds(240, 1260, 1260, 300);
    Label7_6.setCaption("：");
    Label7_6.setBounds(1380, 390, 200, 255);
    Label7_7.setCaption("：");
    Label7_7.setBounds(1500, 1290, 200, 255);
    struct Row {
        ui::ComboBox& hour;
        ui::Label& hourUnit;
        ui::ComboBox& minute;
        ui::Label& minuteUnit;
        ui::ComboBox& second;
        ui::Label& secondUnit;
        ui::ComboBox& action;
        double top;
    };
    for (const Row& r :
         {Row{CBoxHour, Label7_0, CBoxMin, Label7_1, CBoxSec, Label7_2, Combo4, 720},
          Row{CBoxHour2, Label7_3, CBoxMin2, Label7_4, CBoxSec2, Label7_5, Combo5, 1620}}) {
        r.hour.setBounds(480, r.top, 720, 300);
        r.hourUnit.setCaption("时");
        r.hourUnit.setBounds(1230, r.top + 30, 270, 255);
        r.minute.setBounds(1530, r.top, 720, 300);
        r.minuteUnit.setCaption("分");
        r.minuteUnit.setBounds(2280, r.top + 30, 270, 255);
        r.second.setBounds(2580, r.top, 720, 300);
        r.secondUnit.setCaption("秒");
        r.secondUnit.setBounds(3330, r.top + 30, 270, 255);
        r.action.setBounds(3900, r.top, 1140, 300);
    }
    CmdStart.setCaption("启动");
    CmdStart.setBounds(4080, 2430, 1260, 420);
    LabInformation.setBounds(120, 2520, 3840, 300);
    mnuTray.setVisible(false);

    // Countdown mode at first: its clock-mode action box starts disabled.
    Option2.setValue(true);
    Combo4.setEnabled(false);

    // What is typed or pasted into the hour box goes through its key filter.
    CBoxHour2.onChange = [this] {
        std::string kept;
        for (char c : CBoxHour2.text()) {
            int key = static_cast<unsigned char>(c);
            CBoxHour2_KeyPress(key);
            if (key != 0)
                kept += c;
        }
        if (kept != CBoxHour2.text())
            CBoxHour2.setText(kept);
    };
    Option1.onClick = [this] { Option1_Click(); };
    Option2.onClick = [this] { Option2_Click(); };
    CmdStart.onClick = [this] { CmdStart_Click(); };
    Timer1.onTick = [this] { Timer1_Timer(); };
    Timer2.onTick = [this] { Timer2_Timer(); };
    Timer3.onTick = [this] { Timer3_Timer(); };
    mnuShow.onClick = [this] { mnuShow_Click(); };
    mnuTrayexit.onClick = [this] { mnuTrayexit_Click(); };
}

void DingshiGuanji::open(Program& program) {
    DingshiGuanji& window = program.form<DingshiGuanji>();
    if (window.loaded())
        window.show();
}

void DingshiGuanji::Form_Load() {
    program_.SkinForm(*this);
    for (ui::ComboBox* box : {&CBoxHour, &CBoxMin, &CBoxSec})
        box->setEnabled(false);
    Frame1.setCaption("当前系统时间：" + program_.dateText(program_.now()));
    program_.module1.ShutdownTrayForm = this;
    program_.module1.ShutdownTrayMenu = &mnuTray;
    if (program_.platform.process.anotherInstanceRunning()) {
        program_.platform.prompts.messageBox("程序已经启动", "警告", MsgButtons::Ok, MsgIcon::None);
        // Only this window goes: ending the program here would also end a recording.
        unload();
        return;
    }
    setCaption("定时关机设置");

    fill(CBoxHour, 23);
    fill(CBoxHour2, 72);
    for (ui::ComboBox* box : {&CBoxMin, &CBoxSec, &CBoxMin2, &CBoxSec2})
        fill(*box, 59);
    for (ui::ComboBox* box : {&Combo4, &Combo5}) {
        box->clear();
        for (const char* action : kActions)
            box->addItem(action);
    }

    // The clock time starts ten minutes from now.
    const DateTime now = program_.now();
    if (now.minute < 50) {
        CBoxHour.setListIndex(now.hour);
        CBoxMin.setListIndex(now.minute + 10);
    } else {
        CBoxMin.setListIndex(now.minute - 50);
        CBoxHour.setListIndex(now.hour == 23 ? 0 : now.hour + 1);
    }
    CBoxSec.setListIndex(0);
    CBoxHour2.setListIndex(0);
    CBoxMin2.setListIndex(30);
    CBoxSec2.setListIndex(0);
    Combo4.setListIndex(0);
    Combo5.setListIndex(0);
}

void DingshiGuanji::Form_Resize() {
    if (windowState() == ui::WindowState::Minimized) {
        program_.module1.AddShutdownTrayIcon();
        program_.module1.HideShutdownWhenMinimized();
    }
}

void DingshiGuanji::Form_QueryUnload(int& cancel, int unloadMode) {
    if (!armed() || unloadMode == ui::kUnloadAppWindows)
        return;
    Prompts& prompts = program_.platform.prompts;
    if (windowState() != ui::WindowState::Minimized) {
        if (prompts.messageBox("你已设置定时关机。关闭将使定时设置失效。\r建议你将窗口最小化。"
                               "确定要关闭吗？",
                               "", MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::No)
            cancel = 1;
        return;
    }
    if (prompts.messageBox("你已设置定时关机。关闭将使定时设置失效。确定要关闭吗？", "",
                           MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::No) {
        cancel = 1;
        program_.module1.AddShutdownTrayIcon();
        program_.module1.HideShutdownWhenMinimized();
    }
}

void DingshiGuanji::Form_Unload(int& cancel) {
    (void)cancel;
    // The tray must not keep an icon, nor the tray module a reference, of a window that is
    // gone.
    Module1& tray = program_.module1;
    tray.RemoveShutdownTrayIcon();
    if (tray.ShutdownTrayForm == this) {
        tray.ShutdownTrayForm = nullptr;
        tray.ShutdownTrayMenu = nullptr;
    }
}

void DingshiGuanji::Option1_Click() {
    for (ui::Control* c :
         std::initializer_list<ui::Control*>{&CBoxHour, &CBoxMin, &CBoxSec, &Combo4})
        c->setEnabled(true);
    for (ui::Control* c :
         std::initializer_list<ui::Control*>{&CBoxHour2, &CBoxMin2, &CBoxSec2, &Combo5})
        c->setEnabled(false);
}

void DingshiGuanji::Option2_Click() {
    for (ui::Control* c :
         std::initializer_list<ui::Control*>{&CBoxHour, &CBoxMin, &CBoxSec, &Combo4})
        c->setEnabled(false);
    for (ui::Control* c :
         std::initializer_list<ui::Control*>{&CBoxHour2, &CBoxMin2, &CBoxSec2, &Combo5})
        c->setEnabled(true);
}

void DingshiGuanji::CBoxHour2_KeyPress(int& keyAscii) {
    if (!isDigitKey(keyAscii) && keyAscii != kBackspace)
        keyAscii = 0;
}

void DingshiGuanji::CBoxMin2_KeyPress(int& keyAscii) {
    CBoxHour2_KeyPress(keyAscii);
}

void DingshiGuanji::CBoxSec2_KeyPress(int& keyAscii) {
    CBoxHour2_KeyPress(keyAscii);
}

std::string DingshiGuanji::countdownSentence() const {
    return "倒计时 " + std::to_string(TimerHour) + "小时" + std::to_string(TimerMinute) + "分钟" +
           std::to_string(TimerSecond) + "秒" + "后" + Combo5.text();
}

void DingshiGuanji::setSettingsEnabled(bool enabled) {
    Frame1.setEnabled(enabled);
}

void DingshiGuanji::CmdStart_Click() {
    if (armed()) {
        setSettingsEnabled(true);
        CmdStart.setCaption("启动");
        Timer2.setEnabled(false);
        Timer3.setEnabled(false);
        LabInformation.setCaption("");
        return;
    }
    setSettingsEnabled(false);
    if (Option1.value()) {
        TimerHour = static_cast<std::int16_t>(boxNumber(CBoxHour));
        TimerMinute = static_cast<std::int16_t>(boxNumber(CBoxMin));
        TimerSecond = static_cast<std::int16_t>(boxNumber(CBoxSec));
        LabInformation.setCaption(Combo4.text() + "时间为：" + std::to_string(TimerHour) + ":" +
                                  std::to_string(TimerMinute) + ":" + std::to_string(TimerSecond));
        lastClockAction_ = DateTime();
        Timer2.setEnabled(true);
    } else {
        for (ui::ComboBox* box : {&CBoxHour2, &CBoxMin2, &CBoxSec2})
            if (box->text().empty())
                box->setText("0");
        const long long h = boxNumber(CBoxHour2);
        const long long m = boxNumber(CBoxMin2);
        const long long s = boxNumber(CBoxSec2);
        const long long seconds = s % 60;
        const long long minutes = (m + s / 60) % 60;
        // The hours are kept to what the window's 16-bit counter holds.
        const long long hours =
            std::min<long long>(h + (m + s / 60) / 60, std::numeric_limits<std::int16_t>::max());
        CBoxHour2.setText(std::to_string(hours));
        CBoxMin2.setText(std::to_string(minutes));
        CBoxSec2.setText(std::to_string(seconds));
        TimerHour = static_cast<std::int16_t>(boxNumber(CBoxHour2));
        TimerMinute = static_cast<std::int16_t>(boxNumber(CBoxMin2));
        TimerSecond = static_cast<std::int16_t>(boxNumber(CBoxSec2));
        LabInformation.setCaption(countdownSentence());
        Timer3.setEnabled(true);
    }
    CmdStart.setCaption("取消");
}

void DingshiGuanji::Timer1_Timer() {
    Frame1.setCaption("当前系统时间：" + program_.dateText(program_.now()));
}

void DingshiGuanji::Timer2_Timer() {
    const DateTime now = program_.now();
    if (now.hour != TimerHour || now.minute != TimerMinute || now.second != TimerSecond)
        return;
    if (now == lastClockAction_)
        return;
    lastClockAction_ = now;
    carryOut(Combo4.text());
}

void DingshiGuanji::Timer3_Timer() {
    if (TimerHour == 0 && TimerMinute == 0 && TimerSecond == 0) {
        // The request is made once; the window waits for the system to end the program.
        Timer3.setEnabled(false);
        carryOut(Combo5.text());
        return;
    }
    if (TimerSecond == 0) {
        TimerSecond = 59;
        --TimerMinute;
    } else {
        --TimerSecond;
    }
    if (TimerMinute == -1) {
        TimerMinute = 59;
        --TimerHour;
    }
    LabInformation.setCaption(countdownSentence());
}

void DingshiGuanji::mnuShow_Click() {
    program_.module1.RemoveShutdownTrayIcon();
    setWindowState(ui::WindowState::Normal);
    show();
    program_.platform.windows.activate(*this);
}

void DingshiGuanji::mnuTrayexit_Click() {
    program_.module1.RemoveShutdownTrayIcon();
    unload();
}

void DingshiGuanji::saveTakeBeforePowerAction() {
    RecorderState& s = program_.recorderState;
    Recorder& wave = program_.wave;
    wave.UpdateRecorderStatus();
    const bool recording = s.WaveStatus.find("正在录音") != std::string::npos;
    if (recording) {
        wave.StopRecording();
        s.StopTime = program_.now();
        if (s.ProgrammedRunning)
            s.ProgrammedDone = true;
        s.ProgrammedRunning = false;
    }
    if (!recording && !s.TakeUnsaved)
        return;
    const std::string folder = program_.programFolder() + kRecordingsFolder;
    if (program_.platform.files.findFirst(folder, true).empty())
        program_.platform.files.createFolder(folder);
    const std::string path = folder + takeName(program_, "录音_从", ".") + ".wav";
    wave.SaveRecording(path);
    if (s.RenamePending) {
        // The saved file gets its long name once the device lets go of it.
        wave.OpenCaptureDevice();
        wave.ApplyCaptureFormat();
        wave.FinishPendingRename();
    }
}

void DingshiGuanji::carryOut(const std::string& action) {
    // Nobody may be at the computer: a failure box of the save would wait for a click, and
    // the system would never be asked. The failures wait until it has been.
    std::vector<std::string> failures;
    {
        HeldFailures held(program_.wave, failures);
        saveTakeBeforePowerAction();
    }
    PowerApi& power = program_.platform.power;
    if (action == kActions[0])
        ExitWindow::ShutdownWindows(power, true);
    else if (action == kActions[1])
        ExitWindow::RebootWindows(power, true);
    else if (action == kActions[2])
        ExitWindow::LogOffWindows(power, true);
    // Seen when the system does not end the program (the action refused, or not forced
    // through); the take's file, if any was written, is in the recordings folder.
    if (!failures.empty()) {
        std::string text = "定时关机前保存录音时出错：";
        for (const std::string& failure : failures)
            text += "\r\n" + failure;
        program_.platform.prompts.messageBox(text, kAppTitle, MsgButtons::Ok, MsgIcon::Exclamation);
    }
}

}  // namespace sonorin
