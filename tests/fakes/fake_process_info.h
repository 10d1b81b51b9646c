// The program's own facts, scripted.
#pragma once

#include "services/process_info.h"

namespace sonorin {

class FakeProcessInfo : public ProcessInfo {
  public:
    bool anotherInstanceRunning() override { return otherInstance; }
    ProgramVersion version() override { return programVersion; }

    bool otherInstance = false;
    ProgramVersion programVersion{5, 2, 15};
};

}  // namespace sonorin
