// The plan entry editor: changes the start, the end and the station of the plan window's
// selected row. It checks nothing and keeps no duration; "确定" writes into the row selected
// at that moment, closing by the title bar writes nothing.
#pragma once

#include <optional>
#include <string>

#include "ui/control.h"
#include "ui/form.h"

namespace sonorin {

class Program;

class frmEdit : public ui::Form {
  public:
    explicit frmEdit(Program& program);

    ui::Label Label1{*this, "Label1"};
    ui::DateTimePicker DTPicker1{*this, "DTPicker1"};
    ui::Label Label2{*this, "Label2"};
    ui::DateTimePicker DTPicker2{*this, "DTPicker2"};
    ui::Label Label3{*this, "Label3"};
    ui::ComboBox CBoxDiantai{*this, "CBoxDiantai"};
    ui::Button Command1{*this, "Command1"};

    void Form_Load() override;
    void Command1_Click();

  private:
    Program& program_;
    // The row the editor was opened for; when it has been deleted meanwhile, "确定" writes
    // nothing rather than overwrite another plan.
    long long rowId_ = -1;
};

// A plan time read as seconds since midnight ("8:05:00", also "08:05" or "8:5:0"); nullopt
// when the text is no time of day.
std::optional<int> planTimeSeconds(const std::string& text);

}  // namespace sonorin
