#include "base/text.h"

namespace sonorin {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// Decodes one character starting at `pos` and advances `pos` past it. An ill-formed sequence
// yields U+FFFD and consumes only its longest valid-looking prefix (at least one byte), so
// that a following well-formed character is not swallowed. Overlong forms, surrogate code
// points and values above U+10FFFF are ill-formed.
char32_t decodeUtf8(std::string_view s, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(s[pos++]);
    if (lead < 0x80)
        return lead;

    int extra;
    char32_t cp;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the first continuation byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2;
        cp = lead & 0x0F;
        if (lead == 0xE0)
            lo = 0xA0;  // overlong below U+0800
        if (lead == 0xED)
            hi = 0x9F;  // U+D800..U+DFFF
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3;
        cp = lead & 0x07;
        if (lead == 0xF0)
            lo = 0x90;  // overlong below U+10000
        if (lead == 0xF4)
            hi = 0x8F;  // above U+10FFFF
    } else {
        return kReplacement;  // stray continuation byte, C0/C1, F5..FF
    }

    for (int i = 0; i < extra; ++i) {
        if (pos >= s.size())
            return kReplacement;
        const auto b = static_cast<unsigned char>(s[pos]);
        if (i == 0 ? (b < lo || b > hi) : !isContinuation(b))
            return kReplacement;
        cp = (cp << 6) | (b & 0x3F);
        ++pos;
    }
    return cp;
}

}  // namespace

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::u16string utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t cp = decodeUtf8(utf8, pos);
        if (cp < 0x10000) {
            out += static_cast<char16_t>(cp);
        } else {
            const char32_t v = cp - 0x10000;
            out += static_cast<char16_t>(0xD800 | (v >> 10));
            out += static_cast<char16_t>(0xDC00 | (v & 0x3FF));
        }
    }
    return out;
}

std::string utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size() * 3);
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char16_t u = utf16[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (utf16[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            appendUtf8(out, kReplacement);  // a surrogate without its partner
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
}

// An empty `from` would match everywhere without advancing; the text is returned unchanged.
std::string replaceAll(std::string text, std::string_view from, std::string_view to) {
    if (from.empty())
        return text;
    std::string out;
    out.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t hit; (hit = text.find(from, start)) != std::string::npos;
         start = hit + from.size()) {
        out.append(text, start, hit - start);
        out.append(to);
    }
    out.append(text, start, std::string::npos);
    return out;
}

}  // namespace sonorin
