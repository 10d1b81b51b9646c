// The code page 936 conversion of the Windows build, against the fixtures the host iconv
// implementation passes too.
#include <gtest/gtest.h>

#include <string>

#include "../base/gbk_fixtures.h"
#include "base/text.h"

namespace sonorin {
namespace {

using fixtures::kGbkRoundTrips;
using fixtures::kGbkToUtf8Malformed;
using fixtures::kUtf8ToGbkLossy;

TEST(TextWin32, GbkFixturesConvertBothWays) {
    for (const auto& c : kGbkRoundTrips) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(utf8ToGbk(c.from), c.to);
        EXPECT_EQ(gbkToUtf8(c.to), c.from);
    }
}

TEST(TextWin32, UnmappableAndMalformedUtf8BecomeQuestionMarks) {
    for (const auto& c : kUtf8ToGbkLossy) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(utf8ToGbk(c.from), c.to);
    }
}

TEST(TextWin32, MalformedGbkBecomesReplacementCharacter) {
    for (const auto& c : kGbkToUtf8Malformed) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(gbkToUtf8(c.from), c.to);
    }
}

TEST(TextWin32, LongTextKeepsEveryCharacter) {
    std::string utf8;
    std::string gbk;
    for (int i = 0; i < 20000; ++i) {
        utf8 += "北京新闻 ";
        gbk += "\xB1\xB1\xBE\xA9\xD0\xC2\xCE\xC5 ";
    }
    EXPECT_EQ(utf8ToGbk(utf8), gbk);
    EXPECT_EQ(gbkToUtf8(gbk), utf8);
    // One bad byte at the end sends the whole text through the slow path.
    EXPECT_EQ(gbkToUtf8(gbk + "\xB1"), utf8 + "\xEF\xBF\xBD");
    EXPECT_EQ(utf8ToGbk(utf8 + "한"), gbk + "?");
}

}  // namespace
}  // namespace sonorin
