// The timed-shutdown window: shuts down, restarts or logs off the computer at a clock time of
// the day or after a countdown, and waits in the notification area when minimized.
#pragma once

#include <cstdint>
#include <string>

#include "base/datetime.h"
#include "ui/control.h"
#include "ui/form.h"

namespace sonorin {

class Program;

class DingshiGuanji : public ui::Form {
  public:
    explicit DingshiGuanji(Program& program);

    // Shows the window, creating it on first use; a window that refused to load stays away.
    static void open(Program& program);

    ui::Frame Frame1{*this, "Frame1"};
    ui::OptionButton Option1{*this, "Option1", &Frame1};
    ui::Label Label7_6{*this, "Label7(6)", &Frame1};
    ui::ComboBox CBoxHour{*this, "CBoxHour", ui::ComboStyle::DropDownList, &Frame1};
    ui::Label Label7_0{*this, "Label7(0)", &Frame1};
    ui::ComboBox CBoxMin{*this, "CBoxMin", ui::ComboStyle::DropDownList, &Frame1};
    ui::Label Label7_1{*this, "Label7(1)", &Frame1};
    ui::ComboBox CBoxSec{*this, "CBoxSec", ui::ComboStyle::DropDownList, &Frame1};
    ui::Label Label7_2{*this, "Label7(2)", &Frame1};
    ui::ComboBox Combo4{*this, "Combo4", ui::ComboStyle::DropDownList, &Frame1};
    ui::OptionButton Option2{*this, "Option2", &Frame1};
    ui::Label Label7_7{*this, "Label7(7)", &Frame1};
    ui::ComboBox CBoxHour2{*this, "CBoxHour2", ui::ComboStyle::DropDownCombo, &Frame1};
    ui::Label Label7_3{*this, "Label7(3)", &Frame1};
    ui::ComboBox CBoxMin2{*this, "CBoxMin2", ui::ComboStyle::DropDownList, &Frame1};
    ui::Label Label7_4{*this, "Label7(4)", &Frame1};
    ui::ComboBox CBoxSec2{*this, "CBoxSec2", ui::ComboStyle::DropDownList, &Frame1};
    ui::Label Label7_5{*this, "Label7(5)", &Frame1};
    ui::ComboBox Combo5{*this, "Combo5", ui::ComboStyle::DropDownList, &Frame1};
    ui::Button CmdStart{*this, "CmdStart"};
    ui::Label LabInformation{*this, "LabInformation"};

    ui::Timer Timer1{*this, "Timer1", 1000};
    ui::Timer Timer2{*this, "Timer2", 1000, false};
    ui::Timer Timer3{*this, "Timer3", 1000, false};

    ui::MenuItem mnuTray{*this, "mnuTray", "菜单"};
    ui::MenuItem mnuShow{*this, "mnuShow", "显示", &mnuTray};
    ui::MenuItem mnuTrayexit{*this, "mnuTrayexit", "退出", &mnuTray};

    // Clock mode: the target time of day; countdown mode: the time that remains.
    std::int16_t TimerHour = 0;
    std::int16_t TimerMinute = 0;
    std::int16_t TimerSecond = 0;

    void Form_Load() override;
    void Form_Resize() override;
    void Form_QueryUnload(int& cancel, int unloadMode) override;
    void Form_Unload(int& cancel) override;
    void Option1_Click();
    void Option2_Click();
    // Discards every key but the digits and backspace (keyAscii set to 0).
    void CBoxHour2_KeyPress(int& keyAscii);
    void CBoxMin2_KeyPress(int& keyAscii);
    void CBoxSec2_KeyPress(int& keyAscii);
    void CmdStart_Click();
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    void mnuShow_Click();
    void mnuTrayexit_Click();

    bool armed() const { return CmdStart.caption() == "取消"; }

  private:
    std::string countdownSentence() const;
    // Saves what the recorder holds, then asks the system for the action named by text. No box
    // waits for a click before the request: the save's failures are shown after it.
    void carryOut(const std::string& action);
    // A take that is running or stopped but unsaved would be lost when the system closes the
    // program: it is saved in the recordings folder under its automatic name first.
    void saveTakeBeforePowerAction();
    void setSettingsEnabled(bool enabled);

    Program& program_;
    // The second the clock mode last acted in: two ticks can fall into one second.
    DateTime lastClockAction_;
};

}  // namespace sonorin
