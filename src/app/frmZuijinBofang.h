// The titles heard (最近播放): what the stations announced, newest first, with the time and
// the station. A title chosen in the list stands in a box to copy from; 搜索 looks it up on
// the web, 清空 empties the list after asking.
#pragma once

#include <optional>
#include <string>

#include "ui/control.h"
#include "ui/form.h"

namespace sonorin {

class Program;

inline constexpr const char* kTitlesCaption = "最近播放";

class frmZuijinBofang : public ui::Form {
  public:
    explicit frmZuijinBofang(Program& program);

    ui::ListView ListView1{*this, "ListView1"};
    ui::Label LabelTitle{*this, "LabelTitle"};
    ui::TextBox TBoxTitle{*this, "TBoxTitle"};
    ui::Button cmdSearch{*this, "cmdSearch"};
    ui::Button cmdClear{*this, "cmdClear"};
    ui::Button cmdClose{*this, "cmdClose"};

    void Form_Load() override;
    void ListView1_MouseDown(ui::MouseButton button, int row);
    void ListView1_DblClick();
    void cmdSearch_Click();
    void cmdClear_Click();
    void cmdClose_Click();

    // The list changed: shows it again.
    void showTitles();

  private:
    // The title of a row of the list.
    std::optional<std::string> titleOf(int row) const;

    Program& program_;
};

}  // namespace sonorin
