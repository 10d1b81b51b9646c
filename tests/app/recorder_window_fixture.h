// A whole program started on fakes with one of its two recorder windows in front: the main
// window when the connectivity test passes, the offline window when it fails.
#pragma once

#include <algorithm>
#include <ostream>
#include <string>

#include "app/AudioRecorder.h"
#include "app/FrmnoConnection.h"
#include "fakes/program_fixture.h"

namespace sonorin {

enum class RecorderWindow { Main, Offline };

inline std::ostream& operator<<(std::ostream& os, RecorderWindow w) {
    return os << (w == RecorderWindow::Main ? "Main" : "Offline");
}

class RecorderWindowFixture : public ProgramFixture {
  protected:
    void startWith(RecorderWindow w) {
        front_ = w;
        shell.online = w == RecorderWindow::Main;
        program().start();
        mci.commands.clear();
    }
    bool inMain() const { return front_ == RecorderWindow::Main; }

    AudioRecorder& main() { return program().form<AudioRecorder>(); }
    FrmnoConnection& offline() { return program().form<FrmnoConnection>(); }
    // The window in front and its recorder panel.
    ui::Form& window() {
        if (inMain())
            return main();
        return offline();
    }
    RecorderPanel& panel() { return inMain() ? main().panel : offline().panel; }

    // Enabled state of the front window's cmdRecord, cmdStop, cmdPlay, cmdSave, as "1010".
    std::string buttons() {
        RecorderPanel& p = panel();
        std::string s;
        for (ui::Button* b : {&p.cmdRecord, &p.cmdStop, &p.cmdPlay, &p.cmdSave})
            s += b->enabled() ? '1' : '0';
        return s;
    }
    int count(const std::string& command) {
        return static_cast<int>(std::count(mci.commands.begin(), mci.commands.end(), command));
    }

  private:
    RecorderWindow front_ = RecorderWindow::Main;
};

}  // namespace sonorin
