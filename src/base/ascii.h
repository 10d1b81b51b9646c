// ASCII-only helpers for the text of protocols and files: header names, playlist keys, class
// names, designators. Bytes outside ASCII (UTF-8 sequences, GBK) pass through untouched, and
// nothing depends on the C locale.
#pragma once

#include <string>
#include <string_view>

namespace sonorin::ascii {

// The blanks of C's isspace in the "C" locale: space, tab, LF, VT, FF, CR.
inline constexpr std::string_view kSpaces = " \t\n\v\f\r";

constexpr char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool isSpace(char c) {
    return kSpaces.find(c) != std::string_view::npos;
}

std::string lowered(std::string_view text);
bool equalsNoCase(std::string_view a, std::string_view b);
bool startsWithNoCase(std::string_view text, std::string_view prefix);

// `text` without the characters of `blanks` at either end.
std::string_view trim(std::string_view text, std::string_view blanks = kSpaces);

}  // namespace sonorin::ascii
