// The slow path of reading code page 936, shared by the host (iconv) and Windows converters:
// text that did not convert as a whole is read one character at a time.
#pragma once

#include <string>
#include <string_view>

namespace sonorin::gbk {

inline bool isLeadByte(unsigned char b) {
    return b >= 0x81 && b <= 0xFE;
}
inline bool isTrailByte(unsigned char b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE);
}

// A lead byte followed by a trail byte is one character; anything else is a single byte.
// `convertOne(bytes, utf8)` appends one character's UTF-8 and returns false when it cannot.
// A pair that does not convert becomes U+FFFD, but when its second byte is ASCII that byte is
// kept, so one stray byte cannot eat the character after it.
template <class ConvertOne>
std::string toUtf8ByCharacter(std::string_view text, ConvertOne convertOne) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        const bool pair = isLeadByte(b) && i + 1 < text.size() &&
                          isTrailByte(static_cast<unsigned char>(text[i + 1]));
        const std::size_t length = pair ? 2 : 1;
        if (convertOne(text.substr(i, length), out)) {
            i += length;
            continue;
        }
        out += "\xEF\xBF\xBD";
        i += pair && static_cast<unsigned char>(text[i + 1]) >= 0x80 ? 2 : 1;
    }
    return out;
}

}  // namespace sonorin::gbk
