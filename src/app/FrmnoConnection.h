// The offline recorder window, shown instead of the main window when start-up finds no
// network connection: the recorder without the radio pane, on the same shared recorder state,
// and a check every two seconds that hands over to the main window once the network is back.
#pragma once

#include "ui/control.h"
#include "ui/form.h"

namespace sonorin {

class Program;

class FrmnoConnection : public ui::Form {
  public:
    explicit FrmnoConnection(Program& program);

    // Recorder panel, in tab order.
    ui::Button cmdRecord{*this, "cmdRecord"};
    ui::Button cmdStop{*this, "cmdStop"};
    ui::Button cmdPlay{*this, "cmdPlay"};
    ui::Button cmdShijian{*this, "cmdShijian"};
    ui::Button cmdReset{*this, "cmdReset"};
    ui::Button cmdSettings{*this, "cmdSettings"};
    ui::Button cmdmore{*this, "cmdmore"};
    ui::Button cmdgoback{*this, "cmdgoback"};
    // Never shown: enabled while a stopped take has not been discarded.
    ui::Button cmdSave{*this, "cmdSave"};

    ui::Label Label1{*this, "Label1"};
    ui::Image Image1{*this, "Image1"};
    ui::Image Image2{*this, "Image2"};
    ui::Button Command1{*this, "Command1"};
    ui::Frame Frame5{*this, "Frame5"};
    ui::Slider Slider1{*this, "Slider1", &Frame5};
    ui::Label StatisticsLabel{*this, "StatisticsLabel"};
    ui::StatusBar StatusBar1{*this, "StatusBar1", 3};

    ui::Timer Timer1{*this, "Timer1", 2000};
    ui::Timer Timer2{*this, "Timer2", 200};

    ui::MenuItem mnuhelp{*this, "mnuhelp", "帮助"};
    ui::MenuItem mnuhelpcontent{*this, "mnuhelpcontent", "帮助内容", &mnuhelp};
    ui::MenuItem mnulinebelowhelp{*this, "mnulinebelowhelp", "-", &mnuhelp};
    ui::MenuItem mnu_website{*this, "mnu_website", "官网", &mnuhelp};
    ui::MenuItem mnulineabout{*this, "mnulineabout", "-", &mnuhelp};
    ui::MenuItem mnuabout{*this, "mnuabout", "关于", &mnuhelp};

    void Form_Load() override;
    void Form_QueryUnload(int& cancel, int unloadMode) override;
    void Form_Unload(int& cancel) override;
    void Form_Resize() override;
    void Timer1_Timer();
    void Timer2_Timer();

    void cmdRecord_Click();
    void cmdStop_Click();
    void cmdPlay_Click();
    void cmdSettings_Click();
    void cmdReset_Click();
    void cmdShijian_Click();
    void cmdmore_Click();
    void cmdgoback_Click();
    void mnuhelpcontent_Click();
    void mnu_website_Click();
    void mnuabout_Click();

    // The recording indicator of this window: panel 2 of its status bar.
    std::string indicator() const { return StatusBar1.panel(2).text; }

  private:
    // The recording question, then the unsaved-take question; false when either is refused.
    bool confirmDiscard(const char* recordingQuestion, const char* unsavedQuestion);
    void clearTake();
    void setPanelWidths(double panel1Factor, double panel2Factor);

    Program& program_;
    bool inTimer2_ = false;
};

}  // namespace sonorin
