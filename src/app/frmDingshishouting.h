// The listening-plan window: the plan list, the inputs that add a plan, and the scheduler that
// opens and stops stations at the plans' times. It owns the plans: they are read from the plan
// file when it loads and written back when it unloads. The main window's layout loads it
// invisibly, so the scheduler runs from the program's first layout on.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/datetime.h"
#include "schedule/plan_file.h"
#include "ui/control.h"
#include "ui/form.h"

namespace sonorin {

class Program;

inline constexpr const char* kPlanWindowCaption = "定时收听设置_星澜网络收音机";

class frmDingshishouting : public ui::Form {
  public:
    explicit frmDingshishouting(Program& program);

    ui::Label 时间标签{*this, "时间标签"};
    ui::ListView ListView1{*this, "ListView1"};
    ui::Label LabelBegin{*this, "LabelBegin"};
    ui::ComboBox CBoxHour{*this, "CBoxHour"};
    ui::Label cboxdian{*this, "cboxdian"};
    ui::ComboBox CBoxMin{*this, "CBoxMin"};
    ui::Label cboxfen{*this, "cboxfen"};
    ui::ComboBox CBoxSec{*this, "CBoxSec"};
    ui::Label cboxmiao{*this, "cboxmiao"};
    ui::Label LabelShichang{*this, "LabelShichang"};
    ui::ComboBox CBoxShiChang{*this, "CBoxShiChang"};
    ui::Label LabelDiantai{*this, "LabelDiantai"};
    ui::ComboBox CBoxDiantai{*this, "CBoxDiantai"};
    // Beside the station: shown when the station list does not have it.
    ui::Label LabelUnlisted{*this, "LabelUnlisted"};
    ui::Button CmdAddItem{*this, "CmdAddItem"};
    ui::Button CmdDelete{*this, "CmdDelete"};
    ui::Button CmdClear{*this, "CmdClear"};
    // Not shown: the station handed to the main window, and the default start time.
    ui::TextBox TBoxMingCheng{*this, "TBoxMingCheng"};
    ui::TextBox TBoxShijian{*this, "TBoxShijian"};

    ui::Timer 定时提醒时钟{*this, "定时提醒时钟", 1000};
    ui::Timer 刷新时间时钟{*this, "刷新时间时钟", 1000};

    // The list's context menu; "添加" is there but never shown.
    ui::MenuItem mnuPop{*this, "mnuPop", "右键菜单"};
    ui::MenuItem mnuAdd{*this, "mnuAdd", "添加", &mnuPop};
    ui::MenuItem mnuEdit{*this, "mnuEdit", "修改", &mnuPop};
    ui::MenuItem mnuline1{*this, "mnuline1", "-", &mnuPop};
    ui::MenuItem mnuDelete{*this, "mnuDelete", "删除", &mnuPop};

    void Form_Load() override;
    void Form_QueryUnload(int& cancel, int unloadMode) override;
    void Form_Unload(int& cancel) override;

    void CmdAddItem_Click();
    void CmdDelete_Click();
    void CmdClear_Click();
    void ListView1_DblClick();
    void ListView1_MouseDown(ui::MouseButton button, int row);
    void mnuEdit_Click();
    void mnuDelete_Click();
    void 定时提醒时钟_Timer();
    void 刷新时间时钟_Timer();

    // One check of the plans against the clock (the work of 定时提醒时钟).
    void CheckPlans();

    // The plan list as plans, in list order; and one row as a plan.
    std::vector<ListeningPlan> plans() const;
    ListeningPlan plan(int row) const;
    void addPlan(const ListeningPlan& plan);
    void setPlan(int row, const ListeningPlan& plan);

  private:
    // The plans as the file held them at load: unchanged plans are not written back.
    std::vector<ListeningPlan> plansAsRead_;
    // Set once every plan of the file is in the list. Events run while the file is read; a
    // window unloaded before then holds only part of the plans and must not save them.
    bool allPlansRead_ = false;
    void tellUser(const char* message);
    bool confirm(const char* question);
    // The message of the first check the start time and duration fail, or nullptr.
    const char* inputError() const;
    void removeSelectedRows();
    // Start scan, then stop scan, for one second of the clock.
    void checkSecond(const DateTime& second);

    Program& program_;
    // The last second CheckPlans looked at; late ticks catch up from there.
    std::optional<DateTime> lastChecked_;
};

// The end of a plan that starts at h:m:s (already checked) and runs for the duration text
// ("不确定", "30分钟", "25"); nullopt when the duration is not one of these forms.
std::optional<std::string> planEndTime(const std::string& h, const std::string& m,
                                       const std::string& s, const std::string& duration);

}  // namespace sonorin
