// The MCI string interface through winmm's mciSendStringW.
#pragma once

#include "services/mci.h"

namespace sonorin {

class Win32Mci : public Mci {
  public:
    MciResult send(const std::string& command) override;
};

}  // namespace sonorin
