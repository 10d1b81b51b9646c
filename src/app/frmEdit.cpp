#include "app/frmEdit.h"

#include <algorithm>
#include <vector>

#include "app/frmDingshishouting.h"
#include "app/program.h"
#include "radio/builtin_stations.h"
#include "schedule/plan_file.h"

namespace sonorin {
namespace {

std::string planTimeText(int seconds) {
    auto two = [](int n) { return (n < 10 ? "0" : "") + std::to_string(n); };
    return std::to_string(seconds / 3600) + ":" + two(seconds / 60 % 60) + ":" + two(seconds % 60);
}

}  // namespace

std::optional<int> planTimeSeconds(const std::string& text) {
    std::vector<int> parts;
    std::size_t at = 0;
    for (;;) {
        const std::size_t end = std::min(text.find(':', at), text.size());
        const std::string part = text.substr(at, end - at);
        if (part.empty() || part.size() > 2 || part.find_first_not_of("0123456789") != part.npos)
            return std::nullopt;
        parts.push_back(std::stoi(part));
        if (end == text.size())
            break;
        at = end + 1;
    }
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    parts.resize(3, 0);
    if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59)
        return std::nullopt;
    return parts[0] * 3600 + parts[1] * 60 + parts[2];
}

frmEdit::frmEdit(Program& program) : ui::Form(program.forms, "frmEdit"), program_(program) {
    setCaption("Form1");
    setBorder(ui::BorderStyle::FixedSingle, true, false);
    setClientSize(2970, 2610);
    setStartCentered(false);
    Label1.setCaption("开始时间");
    Label1.setBounds(120, 360, 1095, 375);
    DTPicker1.setBounds(1080, 360, 1695, 375);
    Label2.setCaption("结束时间");
    Label2.setBounds(120, 960, 1095, 375);
    DTPicker2.setBounds(1080, 960, 1695, 375);
    Label3.setCaption("电台名称");
    Label3.setBounds(120, 1560, 975, 375);
    CBoxDiantai.setBounds(1080, 1560, 1695, 300);
    Command1.setCaption("确定");
    Command1.setBounds(1200, 2040, 1335, 375);
    Command1.onClick = [this] { Command1_Click(); };
}

void frmEdit::Form_Load() {
    program_.SkinForm(*this);
    frmDingshishouting& plans = program_.form<frmDingshishouting>();
    // Beside the plan window, on its right unless the screen has no room there.
    const ui::ScreenArea area = program_.platform.windows.workArea(plans.left(), plans.top(),
                                                                   plans.width(), plans.height());
    const ui::Placement at =
        ui::dockedBeside(area, {plans.left(), plans.top()}, plans.width(), width(), false,
                         program_.platform.windows.titleBarHeight());
    move(at.left, at.top, width(), height());
    for (std::string_view s : radio::kPlanEditorStations)
        CBoxDiantai.addItem(std::string(s));

    const int row = plans.ListView1.selectedItem();
    if (row < 0)
        return;
    rowId_ = plans.ListView1.rowId(row);
    const ListeningPlan plan = plans.plan(row);
    // A hand-edited file may hold a time that is none: the picker then shows midnight.
    DTPicker1.setTimeOfDay(planTimeSeconds(plan.BeginTime).value_or(0));
    const auto end = plan.EndTime == kNoEndTime ? std::nullopt : planTimeSeconds(plan.EndTime);
    DTPicker2.setTimeOfDay(end ? *end : DTPicker1.timeOfDay() + 30 * 60);
    CBoxDiantai.setText(plan.Station);
}

void frmEdit::Command1_Click() {
    frmDingshishouting& plans = program_.form<frmDingshishouting>();
    const int row = plans.ListView1.selectedItem();
    if (row >= 0 && plans.ListView1.findRow(rowId_) >= 0)
        plans.setPlan(row, {planTimeText(DTPicker1.timeOfDay()),
                            planTimeText(DTPicker2.timeOfDay()), CBoxDiantai.text()});
    unload();
}

}  // namespace sonorin
