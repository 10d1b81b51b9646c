// The offline recorder window, shown instead of the main window when start-up finds no
// network connection: the recorder without the radio pane, on the same shared recorder state,
// and a check every two seconds that hands over to the main window once the network is back.
#pragma once

#include "app/recorder_panel.h"
#include "ui/control.h"
#include "ui/form.h"

namespace sonorin {

class Program;

class FrmnoConnection : public ui::Form {
  public:
    explicit FrmnoConnection(Program& program);

    // The recorder panel: its buttons are this window's first controls. cmdSave is never
    // shown: it is enabled while a stopped take has not been discarded.
    RecorderPanel panel;
    ui::Button& cmdRecord = panel.cmdRecord;
    ui::Button& cmdStop = panel.cmdStop;
    ui::Button& cmdPlay = panel.cmdPlay;
    ui::Button& cmdShijian = panel.cmdShijian;
    ui::Button& cmdReset = panel.cmdReset;
    ui::Button& cmdSettings = panel.cmdSettings;
    ui::Button& cmdmore = panel.cmdmore;
    ui::Button& cmdgoback = panel.cmdgoback;
    ui::Button& cmdSave = panel.cmdSave;

    ui::Label Label1{*this, "Label1"};
    // Under the notice: how to make "录音" usable, or which source a take records here.
    ui::Label LabelRecordHint{*this, "LabelRecordHint"};
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
    void Timer2_Timer() {
        panel.runMonitor();
        showWayToRecord();
    }

    // Recorder panel: no save dialog after Stop, a second question before an unsaved take is
    // discarded; cmdPlay plays the take back.
    void cmdRecord_Click() { panel.cmdRecord_Click(); }
    void cmdStop_Click() { panel.cmdStop_Click(); }
    void cmdPlay_Click() { panel.cmdPlay_Click(); }
    void cmdSettings_Click() { panel.cmdSettings_Click(); }
    void cmdReset_Click() { panel.cmdReset_Click(); }
    void cmdShijian_Click() { panel.cmdShijian_Click(); }
    void cmdmore_Click() { panel.cmdmore_Click(); }
    void cmdgoback_Click() { panel.cmdgoback_Click(); }
    void mnuhelpcontent_Click();
    void mnu_website_Click();
    void mnuabout_Click();

    // The recording indicator of this window: panel 2 of its status bar.
    std::string indicator() const { return panel.indicator(); }

  private:
    // "录音" starts greyed here and only "重置" (or a stopped take) makes it usable: the line
    // under the notice says so.
    void showWayToRecord();

    Program& program_;
};

}  // namespace sonorin
