#include "base/text.h"

#include <gtest/gtest.h>

#include <string>

#include "base/gbk_fixtures.h"

namespace sonorin {
namespace {

const std::string kFffd = "\xEF\xBF\xBD";

// ---- UTF-8 <-> UTF-16 ----

TEST(Utf8Utf16, EncodingBoundariesHaveTheirExactBytes) {
    struct Case {
        char32_t cp;
        std::string utf8;
        std::u16string utf16;
    };
    const Case cases[] = {
        {0x0000, std::string(1, '\0'), std::u16string(1, u'\0')},
        {0x007F, "\x7F", u"\x7F"},
        {0x0080, "\xC2\x80", u"\x80"},
        {0x07FF, "\xDF\xBF", u"\x7FF"},
        {0x0800, "\xE0\xA0\x80", u"\x800"},
        {0x5317, "\xE5\x8C\x97", u"北"},
        {0xD7FF, "\xED\x9F\xBF", u"\xD7FF"},
        {0xE000, "\xEE\x80\x80", u"\xE000"},
        {0xFFFD, "\xEF\xBF\xBD", u"\xFFFD"},
        {0xFFFF, "\xEF\xBF\xBF", u"\xFFFF"},
        {0x10000, "\xF0\x90\x80\x80", u"\xD800\xDC00"},
        {0x1F600, "\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
        {0x10FFFF, "\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<unsigned>(c.cp));
        EXPECT_EQ(utf8ToUtf16(c.utf8), c.utf16);
        EXPECT_EQ(utf16ToUtf8(c.utf16), c.utf8);
    }
}

TEST(Utf8Utf16, EveryScalarValueRoundTrips) {
    std::u16string all;
    for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF)
            continue;
        if (cp < 0x10000) {
            all += static_cast<char16_t>(cp);
        } else {
            all += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            all += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
    }
    const std::string utf8 = utf16ToUtf8(all);
    // 128 one-byte, 1920 two-byte, 61440 three-byte (less surrogates), 1048576 four-byte.
    EXPECT_EQ(utf8.size(), 128u + 1920u * 2 + (63488u - 2048u) * 3 + 1048576u * 4);
    EXPECT_EQ(utf8ToUtf16(utf8), all);
}

TEST(Utf8Utf16, MalformedUtf8BecomesReplacementCharacters) {
    struct Case {
        const char* name;
        std::string in;
        std::u16string out;
    };
    const Case cases[] = {
        {"stray continuation",
         "a\x80"
         "b",
         u"a\xFFFD"
         u"b"},
        {"overlong slash", "\xC0\xAF", u"\xFFFD\xFFFD"},
        {"overlong three-byte", "\xE0\x80\xAF", u"\xFFFD\xFFFD\xFFFD"},
        {"overlong four-byte", "\xF0\x80\x80\x80", u"\xFFFD\xFFFD\xFFFD\xFFFD"},
        {"encoded surrogate", "\xED\xA0\x80", u"\xFFFD\xFFFD\xFFFD"},
        {"above U+10FFFF", "\xF4\x90\x80\x80", u"\xFFFD\xFFFD\xFFFD\xFFFD"},
        {"F5 and up", "\xF5\xFE\xFF", u"\xFFFD\xFFFD\xFFFD"},
        {"truncated before ASCII",
         "\xE5\x8C"
         "A",
         u"\xFFFD"
         u"A"},
        {"truncated at end", "A\xE5\x8C", u"A\xFFFD"},
        {"truncated four-byte", "\xF0\x9F\x98 ", u"\xFFFD "},
        {"lead before lead", "\xC3\xE5\x8C\x97", u"\xFFFD北"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(utf8ToUtf16(c.in), c.out);
    }
}

TEST(Utf8Utf16, UnpairedSurrogatesBecomeReplacementCharacters) {
    EXPECT_EQ(utf16ToUtf8(u"\xD800"), kFffd);
    EXPECT_EQ(utf16ToUtf8(u"\xDC00"
                          u"a"),
              kFffd + "a");
    EXPECT_EQ(utf16ToUtf8(u"a\xDBFF"), "a" + kFffd);
    EXPECT_EQ(utf16ToUtf8(u"\xD800\xD800\xDC00"), kFffd + "\xF0\x90\x80\x80");
    EXPECT_EQ(utf16ToUtf8(u"\xDC00\xD800"), kFffd + kFffd);  // wrong order is no pair
}

TEST(Utf8Utf16, EmbeddedNulIsKept) {
    const std::string utf8("a\0北", 5);
    const std::u16string utf16(u"a\0北", 3);
    EXPECT_EQ(utf8ToUtf16(utf8), utf16);
    EXPECT_EQ(utf16ToUtf8(utf16), utf8);
}

// ---- GBK ----

TEST(Gbk, FixturesConvertBothWays) {
    for (const auto& c : fixtures::kGbkRoundTrips) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(utf8ToGbk(c.from), c.to);
        EXPECT_EQ(gbkToUtf8(c.to), c.from);
    }
}

TEST(Gbk, UnmappableAndMalformedUtf8BecomeQuestionMarks) {
    for (const auto& c : fixtures::kUtf8ToGbkLossy) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(utf8ToGbk(c.from), c.to);
    }
}

TEST(Gbk, MalformedGbkBecomesReplacementCharacter) {
    for (const auto& c : fixtures::kGbkToUtf8Malformed) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(gbkToUtf8(c.from), c.to);
    }
}

// Pairs inside the lead and trail ranges that name no character. Windows maps some of these to
// private-use characters, so they are host-only.
TEST(Gbk, UnassignedPairKeepsAnAsciiSecondByte) {
    EXPECT_EQ(gbkToUtf8("\xA2\x41"
                        "B"),
              kFffd + "AB");
    EXPECT_EQ(gbkToUtf8("\xA2\xAB"
                        "B"),
              kFffd + "B");
}

TEST(Gbk, LongTextKeepsEveryCharacter) {
    std::string utf8;
    std::string gbk;
    for (int i = 0; i < 20000; ++i) {
        utf8 += "北京新闻 ";
        gbk += "\xB1\xB1\xBE\xA9\xD0\xC2\xCE\xC5 ";
    }
    EXPECT_EQ(utf8ToGbk(utf8), gbk);
    EXPECT_EQ(gbkToUtf8(gbk), utf8);
    EXPECT_EQ(gbkToUtf8(gbk + "\xB1"), utf8 + kFffd);
    EXPECT_EQ(utf8ToGbk("한" + utf8), "?" + gbk);
}

TEST(Gbk, ArbitraryBytesNeverFailAndRoundTripWhereWellFormed) {
    // Every two-byte combination: the conversion must end and produce valid UTF-8, and what
    // it produced without U+FFFD must convert back to the same bytes.
    for (int a = 0x80; a <= 0xFF; ++a) {
        for (int b = 0; b <= 0xFF; b += 3) {
            const std::string bytes{static_cast<char>(a), static_cast<char>(b)};
            const std::string utf8 = gbkToUtf8(bytes);
            ASSERT_EQ(utf16ToUtf8(utf8ToUtf16(utf8)), utf8) << a << " " << b;
            if (utf8.find(kFffd) == std::string::npos) {
                EXPECT_EQ(utf8ToGbk(utf8), bytes) << a << " " << b;
            }
        }
    }
}

// ---- replaceAll ----

TEST(ReplaceAll, Table) {
    struct Case {
        std::string text, from, to, expected;
    };
    const Case cases[] = {
        {"a:b:c", ":", "-", "a-b-c"},
        {"aaa", "aa", "b", "ba"},  // left to right, no overlaps
        {"a", "a", "aa", "aa"},    // the replacement is not searched again
        {"abc", "", "x", "abc"},   // an empty pattern changes nothing
        {"", "a", "b", ""},
        {"abc", "abcd", "x", "abc"},
        {"a--b", "-", "", "ab"},
        {"北京北京", "京", "!", "北!北!"},
        {"2026/12/6 9:05:07", "/", "-", "2026-12-6 9:05:07"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(replaceAll(c.text, c.from, c.to), c.expected) << c.text << " " << c.from;
    }
}

}  // namespace
}  // namespace sonorin
