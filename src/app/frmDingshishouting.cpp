#include "app/frmDingshishouting.h"

#include <cmath>
#include <initializer_list>

#include "app/AudioRecorder.h"
#include "app/frmEdit.h"
#include "app/program.h"
#include "base/app_title.h"
#include "base/datetext.h"
#include "radio/builtin_stations.h"

namespace sonorin {
namespace {

constexpr const char* kDurations[] = {
    "不确定", "1分钟",   "5分钟",   "10分钟",  "15分钟",  "30分钟",  "45分钟",  "60分钟",
    "90分钟", "120分钟", "150分钟", "180分钟", "210分钟", "240分钟", "270分钟", "300分钟",
};

// A late tick catches up on the seconds it missed, as long as the clock moved forward by no
// more than this; a bigger jump (or one backwards) is a clock that was set, not a late tick.
constexpr int kMaxCatchUpSeconds = 60;

std::string twoDigits(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

bool allDigits(const std::string& text) {
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// The minutes of a duration text: a number, or a number followed by "分钟".
std::optional<double> durationMinutes(std::string text) {
    const std::string unit = "分钟";
    if (text.size() > unit.size() &&
        text.compare(text.size() - unit.size(), unit.size(), unit) == 0)
        text.resize(text.size() - unit.size());
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    while (!text.empty() && text.front() == ' ')
        text.erase(text.begin());
    const auto dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    if (!allDigits(whole) || whole.size() > 6)
        return std::nullopt;
    if (dot != std::string::npos && !allDigits(text.substr(dot + 1)))
        return std::nullopt;
    return std::stod(text);
}

}  // namespace

std::optional<std::string> planEndTime(const std::string& h, const std::string& m,
                                       const std::string& s, const std::string& duration) {
    if (duration == kNoEndTime)
        return std::string(kNoEndTime);
    const auto minutes = durationMinutes(duration);
    if (!minutes)
        return std::nullopt;
    const long long length = std::llround(*minutes * 60);
    const long long start = std::stoll(h) * 3600 + std::stoll(m) * 60 + std::stoll(s);
    const long long total = (start + length) % 86400;
    return std::to_string(total / 3600) + ":" + twoDigits(static_cast<int>(total / 60 % 60)) + ":" +
           twoDigits(static_cast<int>(total % 60));
}

frmDingshishouting::frmDingshishouting(Program& program)
    : ui::Form(program.forms, "frmDingshishouting"), program_(program) {
    setCaption(kPlanWindowCaption);
    setBorder(ui::BorderStyle::FixedSingle, true, false);
    setClientSize(4185, 5595);
    setStartCentered(false);

    时间标签.setBounds(720, 240, 4575, 255);
    ListView1.setBounds(0, 720, 4215, 2600);
    LabelBegin.setCaption("开始时间：");
    LabelBegin.setBounds(120, 3480, 1095, 255);
    CBoxHour.setBounds(1080, 3480, 615, 300);
    cboxdian.setCaption("点");
    cboxdian.setBounds(1800, 3600, 255, 615);
    CBoxMin.setBounds(2160, 3480, 615, 300);
    cboxfen.setCaption("分");
    cboxfen.setBounds(2880, 3600, 495, 255);
    CBoxSec.setText("00");
    CBoxSec.setBounds(3120, 3480, 615, 300);
    cboxmiao.setCaption("秒");
    cboxmiao.setBounds(3840, 3600, 495, 255);
    LabelShichang.setCaption("收听时长：");
    LabelShichang.setBounds(120, 3960, 1095, 375);
    CBoxShiChang.setBounds(1080, 3960, 1695, 300);
    LabelDiantai.setCaption("收听电台：");
    LabelDiantai.setBounds(120, 4440, 1455, 255);
    CBoxDiantai.setBounds(1080, 4440, 1695, 300);
    LabelUnlisted.setCaption("不在电台列表");
    LabelUnlisted.setToolTip("电台列表里没有这个电台。计划开始时会在电台目录里查找它，找不到时会告诉您。");
    LabelUnlisted.setBounds(2850, 4485, 1335, 255);
    LabelUnlisted.setVisible(false);
    CBoxDiantai.onChange = [this] {
        LabelUnlisted.setVisible(!CBoxDiantai.text().empty() &&
                                 !program_.portal.lists(CBoxDiantai.text()));
    };
    CmdAddItem.setCaption("添加");
    CmdAddItem.setBounds(480, 4920, 855, 375);
    CmdDelete.setCaption("删除");
    CmdDelete.setBounds(1680, 4920, 855, 375);
    CmdClear.setCaption("清除");
    CmdClear.setBounds(2880, 4920, 855, 375);
    TBoxMingCheng.setVisible(false);
    TBoxShijian.setVisible(false);
    mnuPop.setVisible(false);
    mnuAdd.setVisible(false);

    CmdAddItem.onClick = [this] { CmdAddItem_Click(); };
    mnuAdd.onClick = [this] { CmdAddItem_Click(); };
    CmdDelete.onClick = [this] { CmdDelete_Click(); };
    CmdClear.onClick = [this] { CmdClear_Click(); };
    mnuEdit.onClick = [this] { mnuEdit_Click(); };
    mnuDelete.onClick = [this] { mnuDelete_Click(); };
    ListView1.onDblClick = [this] { ListView1_DblClick(); };
    ListView1.onMouseDown = [this](ui::MouseButton b, int row) { ListView1_MouseDown(b, row); };
    定时提醒时钟.onTick = [this] { 定时提醒时钟_Timer(); };
    刷新时间时钟.onTick = [this] { 刷新时间时钟_Timer(); };
}

void frmDingshishouting::Form_Load() {
    Platform& p = program_.platform;
    // The plans first; the interface stays responsive while a long file is read.
    plansAsRead_ = readPlanFile(p.files, program_.programFolder());
    for (const ListeningPlan& plan : plansAsRead_) {
        addPlan(plan);
        p.windows.doEvents();
        if (!loaded())
            return;
    }
    allPlansRead_ = true;

    const std::initializer_list<ui::Control*> buttons{&CmdAddItem, &CmdDelete, &CmdClear};
    const std::initializer_list<ui::Control*> labels{&LabelBegin, &LabelShichang, &LabelDiantai};
    const std::initializer_list<ui::Control*> units{&cboxdian, &cboxfen, &cboxmiao};
    for (ui::Control* b : buttons)
        b->setTop(b->top() + 50);

    // Docked to the left of the main window, as tall as it; on its right when the screen has
    // no room on the left, and where it has room on neither side, where it covers least.
    const AudioRecorder& main = program_.form<AudioRecorder>();
    const ui::ScreenArea area =
        p.windows.workArea(main.left(), main.top(), main.width(), main.height());
    const ui::Placement at = ui::dockedBeside(area, {main.left(), main.top()}, main.width(),
                                              width(), true, p.windows.titleBarHeight());
    move(at.left, at.top, width(), main.height());

    program_.SkinForm(*this);

    for (ui::Control* b : buttons)
        b->setTop(b->top() - 30);
    for (ui::Control* l : labels)
        l->setTop(l->top() + 60);
    for (ui::Control* u : units)
        u->setTop(u->top() + 30);

    ListView1.setFlat(true);
    ListView1.setBorder(false);
    ListView1.setMultiSelect(true);
    ListView1.clearColumns();
    for (ui::Control* u : units)
        u->setTop(u->top() - 80);

    for (int h = 0; h < 24; ++h)
        CBoxHour.addItem(std::to_string(h));
    for (int m = 1; m < 60; ++m) {
        CBoxMin.addItem(twoDigits(m));
        CBoxSec.addItem(twoDigits(m));
    }
    for (const char* d : kDurations)
        CBoxShiChang.addItem(d);
    for (const radio::BuiltinStation& s : radio::kPlanWindowStations)
        CBoxDiantai.addItem(std::string(s.name));

    CBoxShiChang.setListIndex(0);
    CBoxDiantai.setListIndex(0);

    // The proposed start: the next full minute after ten seconds from now. At hh:59 that is
    // minute 00 of the next hour, not a minute 60 that "添加" would refuse.
    const DateTime t = program_.now().addSeconds(10);
    TBoxShijian.setText(std::to_string(t.hour) + ":" + std::to_string(t.minute) + ":" +
                        std::to_string(t.second));
    int hour = t.hour;
    int minute = t.minute + 1;
    if (minute == 60) {
        minute = 0;
        hour = (hour + 1) % 24;
    }
    CBoxHour.setText(std::to_string(hour));
    CBoxMin.setText(twoDigits(minute));

    ListView1.addColumn("开始时间", 1288);
    ListView1.addColumn("结束时间", 1288);
    ListView1.addColumn("电台名称", 1628);
    时间标签.setCaption(program_.dateText(program_.now()));
}

void frmDingshishouting::Form_QueryUnload(int& cancel, int unloadMode) {
    (void)cancel;
    (void)unloadMode;
    // The file is the user's: written only when the plans were changed here, so a file the
    // program reads with losses (bytes that are not GBK, fields beyond the third) stays as
    // the user wrote it until the user edits the plans.
    if (!allPlansRead_)
        return;
    const std::vector<ListeningPlan> current = plans();
    if (current != plansAsRead_)
        writePlanFile(program_.platform.files, program_.platform.prompts, program_.programFolder(),
                      current);
}

void frmDingshishouting::Form_Unload(int& cancel) {
    (void)cancel;
    if (program_.isLoaded<frmEdit>())
        program_.form<frmEdit>().unload();
}

std::vector<ListeningPlan> frmDingshishouting::plans() const {
    std::vector<ListeningPlan> result;
    for (int row = 0; row < ListView1.rowCount(); ++row)
        result.push_back(plan(row));
    return result;
}

ListeningPlan frmDingshishouting::plan(int row) const {
    return {ListView1.text(row, 0), ListView1.text(row, 1), ListView1.text(row, 2)};
}

void frmDingshishouting::addPlan(const ListeningPlan& plan) {
    ListView1.addRow({plan.BeginTime, plan.EndTime, plan.Station});
}

void frmDingshishouting::setPlan(int row, const ListeningPlan& plan) {
    ListView1.setText(row, 0, plan.BeginTime);
    ListView1.setText(row, 1, plan.EndTime);
    ListView1.setText(row, 2, plan.Station);
}

void frmDingshishouting::tellUser(const char* message) {
    program_.platform.prompts.messageBox(message, kAppTitle, MsgButtons::Ok, MsgIcon::None);
}

bool frmDingshishouting::confirm(const char* question) {
    return program_.platform.prompts.messageBox(question, "提示", MsgButtons::YesNo,
                                                MsgIcon::Question) == MsgAnswer::Yes;
}

const char* frmDingshishouting::inputError() const {
    const std::string& h = CBoxHour.text();
    const std::string& m = CBoxMin.text();
    const std::string& s = CBoxSec.text();
    if (h.empty() || m.empty() || s.empty())
        return "请输正确的时间（时、分、秒）！";
    // Digits only: signs, blanks, decimal points and exponents would make a start time that
    // never matches the clock.
    if (!allDigits(h) || !allDigits(m) || !allDigits(s))
        return "请输入正确的时间（必须是阿拉伯数字）！";
    if (h[0] == '0' && h.size() > 1)
        return "请输入正确的时间（小时前面不能加“0”）！";
    // Compared as text: two digits above "23" fail; three or more digits are never an hour.
    if (h.size() > 2 || (h.size() > 1 && h > "23"))
        return "“小时”不能等于或大于24，请重新输入！";
    auto badTwoDigits = [](const std::string& v) { return v > "59" || v.size() != 2; };
    if (badTwoDigits(m))
        return "请输入正确的时间（分钟是个位数时前面要加“0”，同时不能等于或大于60）！";
    if (badTwoDigits(s))
        return "请输入正确的时间（秒是个位数时前面要加“0”，同时不能等于或大于60）！";
    if (!planEndTime(h, m, s, CBoxShiChang.text()))
        return "请输入正确的收听时长（“不确定”或分钟数，如“30”或“30分钟”）！";
    return nullptr;
}

void frmDingshishouting::CmdAddItem_Click() {
    if (const char* error = inputError()) {
        tellUser(error);
        return;
    }
    const std::string& h = CBoxHour.text();
    const std::string& m = CBoxMin.text();
    const std::string& s = CBoxSec.text();
    addPlan(
        {h + ":" + m + ":" + s, *planEndTime(h, m, s, CBoxShiChang.text()), CBoxDiantai.text()});
}

void frmDingshishouting::removeSelectedRows() {
    for (int row = ListView1.rowCount() - 1; row >= 0; --row)
        if (ListView1.selected(row))
            ListView1.removeRow(row);
}

void frmDingshishouting::CmdDelete_Click() {
    if (ListView1.selectedItem() < 0)
        return;
    if (confirm("你确定要删除所选收听计划吗？"))
        removeSelectedRows();
}

void frmDingshishouting::mnuDelete_Click() {
    if (confirm("你确定要删除所选收听计划吗？"))
        removeSelectedRows();
}

void frmDingshishouting::CmdClear_Click() {
    if (ListView1.rowCount() == 0)
        return;
    if (confirm("你确定要清除所有收听计划吗？"))
        ListView1.clearRows();
}

void frmDingshishouting::ListView1_DblClick() {
    const int row = ListView1.selectedItem();
    if (row >= 0)
        ListView1.removeRow(row);
}

void frmDingshishouting::ListView1_MouseDown(ui::MouseButton button, int row) {
    if (button != ui::MouseButton::Right)
        return;
    if (row >= 0)
        ListView1.setSelectedItem(row);
    if (ListView1.selectedItem() >= 0)
        program_.platform.windows.popupMenu(*this, mnuPop);
}

void frmDingshishouting::mnuEdit_Click() {
    program_.form<frmEdit>().show();
}

void frmDingshishouting::刷新时间时钟_Timer() {
    时间标签.setCaption(program_.dateText(program_.now()));
}

void frmDingshishouting::定时提醒时钟_Timer() {
    CheckPlans();
}

// A window timer does not tick exactly once a second: a late tick would skip a second and
// the plan due in it, two ticks within one second would fire it twice. So every second since
// the last check is checked, each once.
void frmDingshishouting::CheckPlans() {
    const DateTime now = program_.now();
    const std::optional<DateTime> previous = lastChecked_;
    const std::int64_t ahead = previous ? now.serial() - previous->serial() : -1;
    if (ahead == 0)
        return;
    // Marked first: a tick that comes while a station opens must not check these again.
    lastChecked_ = now;
    if (ahead > 0 && ahead <= kMaxCatchUpSeconds) {
        for (std::int64_t i = 1; i <= ahead && loaded(); ++i)
            checkSecond(previous->addSeconds(i));
    } else {
        checkSecond(now);
    }
}

void frmDingshishouting::checkSecond(const DateTime& second) {
    const std::string now = formatPlanTime(second);
    AudioRecorder& main = program_.form<AudioRecorder>();
    for (int row = 0; row < ListView1.rowCount(); ++row) {
        if (ListView1.text(row, 0) == now) {
            const std::string station = ListView1.text(row, 2);
            TBoxMingCheng.setText(station);
            main.show();
            // An empty name is part of every link text: it would start every station at once.
            if (!station.empty())
                main.Command1.click();
            break;
        }
    }
    for (int row = 0; row < ListView1.rowCount(); ++row) {
        if (ListView1.text(row, 1) == now) {
            main.show();
            main.Command3.click();
            break;
        }
    }
}

}  // namespace sonorin
