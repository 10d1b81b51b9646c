#include "base/ascii.h"

#include <gtest/gtest.h>

namespace sonorin::ascii {
namespace {

TEST(Ascii, CaseFoldsOnlyAsciiLetters) {
    // Bytes of UTF-8 and GBK text, and the neighbours of 'A' and 'Z', stay as they are.
    EXPECT_EQ(lowered("Content-TYPE: @[`{ 中文 \xC4\xFA"), "content-type: @[`{ 中文 \xC4\xFA");
    EXPECT_TRUE(equalsNoCase("Transfer-Encoding", "transfer-encoding"));
    EXPECT_FALSE(equalsNoCase("chunked", "chunke"));
    EXPECT_FALSE(equalsNoCase("@", "`"));  // 0x40 and 0x60 differ by the case bit, too
    EXPECT_TRUE(startsWithNoCase("#EXTINF:-1,x", "#extinf:"));
    EXPECT_TRUE(startsWithNoCase("AM", ""));
    EXPECT_FALSE(startsWithNoCase("#EXT", "#EXTINF"));
    EXPECT_FALSE(startsWithNoCase("上午", "下午"));
}

TEST(Ascii, TrimCutsTheGivenBlanksAtBothEnds) {
    EXPECT_EQ(trim(" \t\r\n\v\fa b\f\v\n\r\t "), "a b");
    EXPECT_EQ(trim(" \t "), "");
    EXPECT_EQ(trim(""), "");
    EXPECT_EQ(trim("\r value \r", " \t"), "\r value \r");
    EXPECT_EQ(trim(" \xC2\xA0 "), "\xC2\xA0");  // a no-break space is not ASCII
}

}  // namespace
}  // namespace sonorin::ascii
