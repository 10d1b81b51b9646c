// Facts about this program as the system sees it.
#pragma once

namespace sonorin {

struct ProgramVersion {
    int major = 0;
    int minor = 0;
    int revision = 0;
};

class ProcessInfo {
  public:
    virtual ~ProcessInfo() = default;
    // True when another copy of this program is running (started earlier).
    virtual bool anotherInstanceRunning() = 0;
    // The version in the program's own version resource.
    virtual ProgramVersion version() = 0;
};

}  // namespace sonorin
