// The MCI string interface: one command text in, the error code and the reply text out.
#pragma once

#include <cstdint>
#include <string>

namespace sonorin {

struct MciResult {
    std::uint32_t code = 0;  // 0 is success
    std::string reply;       // up to the first NUL of a 255-character buffer
};

class Mci {
  public:
    virtual ~Mci() = default;
    virtual MciResult send(const std::string& command) = 0;
};

}  // namespace sonorin
