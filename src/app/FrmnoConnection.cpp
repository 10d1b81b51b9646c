#include "app/FrmnoConnection.h"

#include "app/AudioRecorder.h"
#include "app/program.h"

namespace sonorin {

FrmnoConnection::FrmnoConnection(Program& program)
    : ui::Form(program.forms, "FrmnoConnection"), program_(program) {
    setCaption(kMainCaption);
    setBorder(ui::BorderStyle::FixedSingle, true, false);
    setClientSize(4785, 2400);
    Label1.setCaption("没有联网，不能收听");
    Label1.setBounds(1200, 900, 2400, 375);
}

}  // namespace sonorin
