#include "app/FrmnoConnection.h"

#include "app/AudioRecorder.h"
#include "app/program.h"
#include "recorder/settings.h"

namespace sonorin {

FrmnoConnection::FrmnoConnection(Program& program)
    : ui::Form(program.forms, "FrmnoConnection"), program_(program) {
    setCaption(kMainCaption);
    setBorder(ui::BorderStyle::FixedSingle, false, false);
    setClientSize(4785, 2400);
    Label1.setCaption("没有联网，不能收听");
    Label1.setBounds(1200, 900, 2400, 375);
}

// The main window stays loaded behind this one and its monitor keeps the shared recording
// indicator current, so the same question guards a running recording here.
void FrmnoConnection::Form_QueryUnload(int& cancel, int unloadMode) {
    program_.form<AudioRecorder>().Form_QueryUnload(cancel, unloadMode);
}

void FrmnoConnection::Form_Unload(int& cancel) {
    (void)cancel;
    program_.wave.CloseCaptureDevice();
    writeRecorderSettings(program_.platform.settings, program_.recorderState);
    if (program_.recorderState.RenamePending)
        program_.wave.FinishPendingRename();
    // Closing the offline window ends the program. Only this process ends: another running
    // copy of the program may be in the middle of a recording.
    program_.platform.shell.endProcess(0);
}

}  // namespace sonorin
