// Asks for the time of day at which the radio stops (定时停止播放 > 指定时间…).
#pragma once

#include "ui/control.h"
#include "ui/form.h"

namespace sonorin {

class Program;

class frmStopAt : public ui::Form {
  public:
    explicit frmStopAt(Program& program);

    ui::Label Label1{*this, "Label1"};
    ui::DateTimePicker DTPicker1{*this, "DTPicker1"};
    ui::Button cmdOK{*this, "cmdOK"};
    ui::Button cmdCancel{*this, "cmdCancel"};

    void Form_Load() override;
    void cmdOK_Click();

  private:
    Program& program_;
};

}  // namespace sonorin
