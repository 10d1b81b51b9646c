// The title list's file. Whatever it holds, reading keeps at most the limit of titles, and what
// was read writes back to bytes that read as the same titles.
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "radio/listening.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sonorin;
    const std::string file(reinterpret_cast<const char*>(data), size);
    const auto titles = radio::readTitleHistory(file, 8);
    FUZZ_CHECK(titles.size() <= 8, fuzz::escaped(file));
    const std::string written = radio::writeTitleHistory(titles);
    FUZZ_CHECK(radio::readTitleHistory(written, 8) == titles,
               fuzz::escaped(file) + " wrote " + fuzz::escaped(written));
    return 0;
}
