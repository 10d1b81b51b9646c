// Playlists and the station directory's answers. Every entry that comes out is an http or
// https address, none twice; an absolute reference resolves to itself.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "base/ascii.h"
#include "fuzz_check.h"
#include "radio/player/directory.h"
#include "radio/player/playlist.h"
#include "radio/url.h"

namespace sonorin {
namespace {

bool isWebAddress(const std::string& url) {
    return ascii::startsWithNoCase(url, "http://") || ascii::startsWithNoCase(url, "https://");
}

void checkList(const std::vector<std::string>& list, const std::string& input) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        FUZZ_CHECK(isWebAddress(list[i]), fuzz::escaped(input) + " gave " + fuzz::escaped(list[i]));
        FUZZ_CHECK(
            std::find(list.begin() + std::ptrdiff_t(i) + 1, list.end(), list[i]) == list.end(),
            fuzz::escaped(input));
    }
}

}  // namespace
}  // namespace sonorin

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sonorin;
    const std::string input(reinterpret_cast<const char*>(data), size);
    checkList(radio::parsePlaylist(input, "http://h:8000/a/b/list.pls?x=1"), input);
    radio::isHlsPlaylist(input);
    if (const auto candidates = radio::directoryCandidates(input))
        checkList(*candidates, input);

    const std::size_t cut = size ? data[0] % size : 0;
    const std::string base = input.substr(0, cut);
    const std::string reference = input.substr(cut);
    const std::string resolved = radio::resolveUrl(base, reference);
    if (reference.starts_with("http://"))
        FUZZ_CHECK(resolved == reference, fuzz::escaped(base) + " + " + fuzz::escaped(reference));
    return 0;
}
