// Text at the edges of the program. Inside, every string is UTF-8. The Windows layer speaks
// UTF-16; files written for other runs (the plan file) are in code page 936 (GBK).
#pragma once

#include <string>
#include <string_view>

namespace sonorin {

// UTF-8 <-> UTF-16. Malformed input is replaced by U+FFFD rather than rejected.
std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view utf16);
// Appends one code point (at most U+10FFFF, not a surrogate) in UTF-8.
void appendUtf8(std::string& out, char32_t cp);

// UTF-8 <-> code page 936. Characters GBK cannot hold become '?'; malformed GBK bytes
// become U+FFFD. The only place in the program that knows about GBK.
std::string utf8ToGbk(std::string_view utf8);
std::string gbkToUtf8(std::string_view gbk);

// Replaces every occurrence of `from` in `text` by `to` (left to right, non-overlapping).
std::string replaceAll(std::string text, std::string_view from, std::string_view to);

}  // namespace sonorin
