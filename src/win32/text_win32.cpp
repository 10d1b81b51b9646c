// Code page 936 through the system's own tables. Explicit code page numbers rather than CP_ACP:
// the files stay GBK whatever the user's ANSI code page is. The rules for what cannot be
// converted are the same as on the host (text_iconv.cpp), so the tests share their fixtures.
#include <windows.h>

#include <algorithm>
#include <climits>

#include "base/gbk_fallback.h"
#include "base/text.h"

namespace sonorin {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

constexpr UINT kGbk = 936;

// Appends `gbk` converted to UTF-16; false (and `out` unchanged) when any byte sequence is
// not a character of the code page.
bool appendWide(std::string_view gbk, std::u16string& out) {
    if (gbk.empty())
        return true;
    if (gbk.size() > INT_MAX)
        return false;
    const int size = static_cast<int>(gbk.size());
    const int n = MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, gbk.data(), size, nullptr, 0);
    if (n <= 0)
        return false;
    const std::size_t old = out.size();
    out.resize(old + static_cast<std::size_t>(n));
    auto* dest = reinterpret_cast<wchar_t*>(out.data() + old);
    if (MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, gbk.data(), size, dest, n) != n) {
        out.resize(old);
        return false;
    }
    return true;
}

}  // namespace

std::string gbkToUtf8(std::string_view gbk) {
    std::u16string wide;
    if (appendWide(gbk, wide))
        return utf16ToUtf8(wide);

    // Something in the text is not GBK.
    return gbk::toUtf8ByCharacter(gbk, [](std::string_view ch, std::string& utf8) {
        std::u16string wideChar;
        if (!appendWide(ch, wideChar))
            return false;
        utf8 += utf16ToUtf8(wideChar);
        return true;
    });
}

std::string utf8ToGbk(std::string_view utf8) {
    // Malformed UTF-8 becomes U+FFFD here, which GBK cannot hold, so it ends up as '?'.
    const std::u16string decoded = utf8ToUtf16(utf8);
    // GBK has nothing outside the Basic Multilingual Plane; left as a surrogate pair, such a
    // character would turn into two '?'.
    std::u16string wide;
    wide.reserve(decoded.size());
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        if (decoded[i] >= 0xD800 && decoded[i] <= 0xDBFF) {
            wide += u'?';
            ++i;  // utf8ToUtf16 writes surrogates only as complete pairs
        } else {
            wide += decoded[i];
        }
    }

    // No best-fit mapping: a character the code page lacks becomes '?', never a look-alike.
    std::string out;
    constexpr std::size_t kChunk = 1 << 20;  // the API counts in int; no pairs left to split
    for (std::size_t start = 0; start < wide.size(); start += kChunk) {
        const std::size_t count = std::min(kChunk, wide.size() - start);
        const auto* src = reinterpret_cast<const wchar_t*>(wide.data() + start);
        const int size = static_cast<int>(count);
        const int n =
            WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, src, size, nullptr, 0, "?", nullptr);
        if (n <= 0) {
            out.append(count, '?');  // cannot happen for code page 936; never lose the length
            continue;
        }
        const std::size_t old = out.size();
        out.resize(old + static_cast<std::size_t>(n));
        const int written = WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, src, size,
                                                out.data() + old, n, "?", nullptr);
        out.resize(old + static_cast<std::size_t>(written > 0 ? written : 0));
    }
    return out;
}

}  // namespace sonorin
