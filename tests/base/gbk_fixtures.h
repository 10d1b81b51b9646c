// Byte-exact code page 936 fixtures shared by the host tests (iconv) and the Windows-layer tests
// (MultiByteToWideChar): both implementations must give the same bytes.
#pragma once

#include <string_view>

namespace sonorin::fixtures {

struct TextCase {
    const char* name;
    std::string_view from;
    std::string_view to;
};

// UTF-8 (from) and its GBK bytes (to); each converts exactly into the other.
inline constexpr TextCase kGbkRoundTrips[] = {
    {"empty", "", ""},
    {"ascii", "Sonorin 5.2\r\n~!@#$%^&*()_+", "Sonorin 5.2\r\n~!@#$%^&*()_+"},
    {"station", "北京新闻", "\xB1\xB1\xBE\xA9\xD0\xC2\xCE\xC5"},
    {"program name", "星澜网络收音机", "\xD0\xC7\xC0\xBD\xCD\xF8\xC2\xE7\xCA\xD5\xD2\xF4\xBB\xFA"},
    {"plan line", "7:00:00\t不确定\t中国之声\r\n",
     "7:00:00\t\xB2\xBB\xC8\xB7\xB6\xA8\t\xD6\xD0\xB9\xFA\xD6\xAE\xC9\xF9\r\n"},
    {"folder", "\\录音文件\\", "\\\xC2\xBC\xD2\xF4\xCE\xC4\xBC\xFE\\"},
    {"full-width", "！　：￥", "\xA3\xA1\xA1\xA1\xA3\xBA\xA3\xA4"},
    {"pinyin and symbols", "é·…①〇", "\xA8\xA6\xA1\xA4\xA1\xAD\xA2\xD9\xA9\x96"},
    {"mixed", "a北b京c",
     "a\xB1\xB1"
     "b\xBE\xA9"
     "c"},
    {"euro sign", "€", "\x80"},
};

// UTF-8 (from) that GBK cannot hold in full, and the bytes it becomes (to): one '?' for every
// character that has no GBK form, and for every malformed UTF-8 sequence.
inline constexpr TextCase kUtf8ToGbkLossy[] = {
    {"hangul", "한국", "??"},
    {"thai between chinese", "北ก京", "\xB1\xB1?\xBE\xA9"},
    {"emoji is one character", "a😀b", "a?b"},
    {"tag character",
     "a\xF3\xA0\x80\x81"
     "b",
     "a?b"},
    {"cjk extension b", "𠀀", "?"},
    {"no best fit for yen", "¥5", "?5"},
    {"stray continuation byte",
     "a\x80"
     "b",
     "a?b"},
    {"truncated sequence",
     "\xE5\x8C"
     "A",
     "?A"},
    {"invalid byte", "\xFF", "?"},
    {"encoded surrogate", "\xED\xA0\x80", "???"},
};

// Bytes (from) that are not all GBK, and the UTF-8 they become (to): U+FFFD for a byte that
// starts no character or a lead byte without a trail byte; the next byte is kept.
inline constexpr TextCase kGbkToUtf8Malformed[] = {
    {"lead byte at end", "A\xB1", "A\xEF\xBF\xBD"},
    {"lead byte before blank", "\xB1 A", "\xEF\xBF\xBD A"},
    {"lead byte before control", "\x81\x7F", "\xEF\xBF\xBD\x7F"},
    {"lead byte before newline", "\xB1\xB1\xBE\r\n", "北\xEF\xBF\xBD\r\n"},
    {"0xFF",
     "x\xFF"
     "y",
     "x\xEF\xBF\xBDy"},
    {"odd pair count", "\xB1\xB1\xB1", "北\xEF\xBF\xBD"},
};

}  // namespace sonorin::fixtures
