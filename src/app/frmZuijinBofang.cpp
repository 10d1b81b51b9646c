#include "app/frmZuijinBofang.h"

#include <cstdio>

#include "app/program.h"
#include "base/app_title.h"

namespace sonorin {

frmZuijinBofang::frmZuijinBofang(Program& program)
    : ui::Form(program.forms, "frmZuijinBofang"), program_(program) {
    setCaption(kTitlesCaption);
    setBorder(ui::BorderStyle::FixedSingle, true, false);
    setClientSize(7200, 5160);

    ListView1.setBounds(120, 120, 6960, 3840);
    LabelTitle.setCaption("选中的标题（可复制）：");
    LabelTitle.setBounds(120, 4125, 2160, 255);
    TBoxTitle.setBounds(2280, 4080, 4800, 300);
    cmdSearch.setCaption("搜索(&S)");
    cmdSearch.setBounds(2880, 4620, 1290, 375);
    cmdClear.setCaption("清空(&C)");
    cmdClear.setBounds(4335, 4620, 1290, 375);
    cmdClose.setCaption("关闭");
    cmdClose.setBounds(5790, 4620, 1290, 375);

    ListView1.onMouseDown = [this](ui::MouseButton b, int row) { ListView1_MouseDown(b, row); };
    ListView1.onDblClick = [this] { ListView1_DblClick(); };
    cmdSearch.onClick = [this] { cmdSearch_Click(); };
    cmdClear.onClick = [this] { cmdClear_Click(); };
    cmdClose.onClick = [this] { cmdClose_Click(); };
}

void frmZuijinBofang::Form_Load() {
    program_.SkinForm(*this);
    ListView1.clearColumns();
    ListView1.addColumn("时间", 1900);
    ListView1.addColumn("电台", 1700);
    ListView1.addColumn("标题", 3300);
    showTitles();
}

void frmZuijinBofang::showTitles() {
    ListView1.clearRows();
    const auto& titles = program_.listening.titles.titles();
    const DateTime today = program_.now();
    for (auto it = titles.rbegin(); it != titles.rend(); ++it) {
        // Today's titles by their time alone, older ones with their date.
        char when[32];
        if (it->at.year == today.year && it->at.month == today.month && it->at.day == today.day)
            std::snprintf(when, sizeof when, "%02d:%02d:%02d", it->at.hour, it->at.minute,
                          it->at.second);
        else
            std::snprintf(when, sizeof when, "%d/%d/%d %02d:%02d", it->at.year, it->at.month,
                          it->at.day, it->at.hour, it->at.minute);
        ListView1.addRow({when, it->station, it->title});
    }
    if (titles.empty())
        TBoxTitle.setText("");
    cmdClear.setEnabled(!titles.empty());
}

std::optional<std::string> frmZuijinBofang::titleOf(int row) const {
    if (row < 0 || row >= ListView1.rowCount())
        return std::nullopt;
    return ListView1.text(row, 2);
}

void frmZuijinBofang::ListView1_MouseDown(ui::MouseButton button, int row) {
    (void)button;
    if (const auto title = titleOf(row))
        TBoxTitle.setText(*title);
}

void frmZuijinBofang::ListView1_DblClick() {
    if (const auto title = titleOf(ListView1.selectedItem()))
        TBoxTitle.setText(*title);
    cmdSearch_Click();
}

void frmZuijinBofang::cmdSearch_Click() {
    Platform& p = program_.platform;
    // What stands in the box, which the user may have trimmed to the song's name.
    std::string title = TBoxTitle.text();
    if (title.empty())
        title = titleOf(ListView1.selectedItem()).value_or("");
    if (title.empty()) {
        p.prompts.messageBox("请先在列表里选中一个标题。", kAppTitle, MsgButtons::Ok,
                             MsgIcon::Exclamation);
        return;
    }
    p.shell.open("Open", radio::titleSearchAddress(title), "", program_.programFolder());
}

void frmZuijinBofang::cmdClear_Click() {
    const std::size_t count = program_.listening.titles.titles().size();
    if (count == 0)
        return;
    const MsgAnswer answer = program_.platform.prompts.messageBox(
        "要清空最近播放里的 " + std::to_string(count) + " 个标题吗？", kAppTitle, MsgButtons::YesNo,
        MsgIcon::Question);
    if (answer == MsgAnswer::Yes)
        program_.listening.titles.clear();
}

void frmZuijinBofang::cmdClose_Click() {
    unload();
}

}  // namespace sonorin
