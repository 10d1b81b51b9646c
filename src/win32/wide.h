// UTF-8 <-> UTF-16 at the Win32 edge.
#pragma once

#include <string>
#include <string_view>

#include "base/text.h"

namespace sonorin::win32 {

inline std::wstring wide(std::string_view utf8) {
    std::u16string s = utf8ToUtf16(utf8);
    return std::wstring(s.begin(), s.end());
}

inline std::string narrow(std::wstring_view utf16) {
    return utf16ToUtf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(utf16.data()), utf16.size()));
}

}  // namespace sonorin::win32
