// The main window's layout: one row of seven equal button slots across the window, the radio
// pane under it, the status-bar panels, and the window kept in the middle of the screen.
#include "app/AudioRecorder.h"
#include "app/frmDingshishouting.h"
#include "app/program.h"

namespace sonorin {

void AudioRecorder::Form_Resize() {
    const double w = width();
    panel.setCompactPanelWidths();

    // Reading the number of plans loads the plan window, and with it the plans' scheduler.
    // With listening plans the window stays on the task bar, where the user sees that the
    // program is still at work; without any it goes to the tray.
    if (listeningPlanCount() == 0)
        program_.goToTrayIfMinimized();

    if (windowState() != ui::WindowState::Minimized) {
        WindowSystem& ws = program_.platform.windows;
        move(ws.screenWidth() / 2 - width() / 2, ws.screenHeight() / 2 - height() / 2, width(),
             height());
    }

    WebBrowser1.setBounds(cmdRecord.left() - 30, cmdRecord.height() - 10, WebBrowser1.width(),
                          WebBrowser1.height());

    panel.layOutButtonRow(w);
}

}  // namespace sonorin
