#include "app/frmStopAt.h"

#include "app/AudioRecorder.h"
#include "app/program.h"

namespace sonorin {

frmStopAt::frmStopAt(Program& program) : ui::Form(program.forms, "frmStopAt"), program_(program) {
    setCaption("定时停止播放");
    setBorder(ui::BorderStyle::FixedDialog, false, false);
    setClientSize(3600, 1440);
    Label1.setCaption("停止播放的时间：");
    Label1.setBounds(240, 300, 1560, 300);
    DTPicker1.setBounds(1800, 240, 1560, 375);
    cmdOK.setCaption("确定");
    cmdOK.setBounds(600, 840, 1095, 375);
    cmdCancel.setCaption("取消");
    cmdCancel.setBounds(1920, 840, 1095, 375);
    cmdOK.onClick = [this] { cmdOK_Click(); };
    cmdCancel.onClick = [this] { unload(); };
}

void frmStopAt::Form_Load() {
    program_.SkinForm(*this);
    // Proposed: half an hour from now, on the minute.
    const DateTime t = program_.now().addMinutes(30);
    DTPicker1.setTimeOfDay(t.hour * 3600 + t.minute * 60);
}

void frmStopAt::cmdOK_Click() {
    const int at = DTPicker1.timeOfDay();
    unload();
    program_.form<AudioRecorder>().sleepAt(at);
}

}  // namespace sonorin
