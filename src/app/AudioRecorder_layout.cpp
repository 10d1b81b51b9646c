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

    // The volume at the right end of the pane's first line, inside the window's frame (the
    // frame is narrower in twips the higher the DPI: this margin holds up to 192 dpi).
    const double right = w - 150, top = WebBrowser1.top() + 60;
    sldVolume.setBounds(right - 1200, top, 1200, 300);
    cmdMute.setBounds(right - 1200 - 600, top - 15, 600, 330);
}

}  // namespace sonorin
