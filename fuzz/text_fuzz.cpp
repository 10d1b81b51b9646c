// Text conversion. Any bytes taken as UTF-8 must survive the trip through UTF-16 as the same
// characters (malformed bytes as U+FFFD), and GBK must hold one character for each input
// character: the character itself, read back unchanged, or '?' where GBK has none. Any bytes
// taken as GBK must give well-formed UTF-8.
#include <string>
#include <vector>

#include "base/text.h"
#include "fuzz_check.h"

namespace sonorin {
namespace {

// The characters of well-formed UTF-8, each as its own string.
std::vector<std::string> characters(const std::string& utf8) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        out.push_back(utf8.substr(i, length));
        i += length;
    }
    return out;
}

// The characters of GBK text: a lead byte from 0x81 takes the next byte with it.
std::vector<std::string> gbkCharacters(const std::string& gbk) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < gbk.size();) {
        const std::size_t length =
            static_cast<unsigned char>(gbk[i]) >= 0x81 && i + 1 < gbk.size() ? 2 : 1;
        out.push_back(gbk.substr(i, length));
        i += length;
    }
    return out;
}

}  // namespace
}  // namespace sonorin

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sonorin;
    const std::string input(reinterpret_cast<const char*>(data), size);

    const std::string clean = utf16ToUtf8(utf8ToUtf16(input));
    FUZZ_CHECK(utf16ToUtf8(utf8ToUtf16(clean)) == clean, fuzz::escaped(input));

    const std::vector<std::string> chars = characters(clean);
    const std::string gbk = utf8ToGbk(input);
    const std::vector<std::string> gbkChars = gbkCharacters(gbk);
    FUZZ_CHECK(gbkChars.size() == chars.size(),
               "in " + fuzz::escaped(input) + " out " + fuzz::escaped(gbk));
    for (std::size_t i = 0; i < chars.size(); ++i) {
        if (gbkChars[i] == "?" && chars[i] != "?")
            continue;  // GBK has no such character
        FUZZ_CHECK(gbkToUtf8(gbkChars[i]) == chars[i], "character " + fuzz::escaped(chars[i]) +
                                                           " came back as " +
                                                           fuzz::escaped(gbkToUtf8(gbkChars[i])));
    }

    const std::string fromGbk = gbkToUtf8(input);
    FUZZ_CHECK(utf16ToUtf8(utf8ToUtf16(fromGbk)) == fromGbk, fuzz::escaped(input));
    return 0;
}
