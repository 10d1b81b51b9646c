// The program on fakes with the listening-plan window loaded.
#pragma once

#include <string>

#include "app/AudioRecorder.h"
#include "fakes/program_fixture.h"
#include "app/frmDingshishouting.h"

namespace sonorin {

inline const std::string kPlanFile = "C:\\Sonorin\\RadioTime.ini";

class PlanWindowFixture : public ProgramFixture {
  protected:
    frmDingshishouting& open() {
        program().start();
        return program().form<frmDingshishouting>();
    }
    AudioRecorder& main() { return program().form<AudioRecorder>(); }
    void enter(frmDingshishouting& w, const std::string& h, const std::string& m,
               const std::string& s, const std::string& duration, const std::string& station) {
        w.CBoxHour.setText(h);
        w.CBoxMin.setText(m);
        w.CBoxSec.setText(s);
        w.CBoxShiChang.setText(duration);
        w.CBoxDiantai.setText(station);
    }
};

}  // namespace sonorin
