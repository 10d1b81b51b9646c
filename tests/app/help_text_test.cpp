// The help file the program opens in Notepad: GBK with CR LF, and about the buttons and menus
// the windows really have.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "base/text.h"

namespace sonorin {
namespace {

TEST(HelpText, IsGbkWithCrLfAndNamesWhatTheWindowsHave) {
    std::ifstream file(SONORIN_SOURCE_DIR "/res/help.txt", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), {}};
    ASSERT_FALSE(bytes.empty());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at byte " << i;
        }
    }
    const std::string text = gbkToUtf8(bytes);
    EXPECT_EQ(utf8ToGbk(text), bytes) << "not plain GBK";
    // The main window saves through the dialog after "停止"; it has no "保存" button.
    EXPECT_EQ(text.find("点“保存”"), std::string::npos);
    for (const char* told : {"“定时1”", "“定时2”", "保存录音文件", "离线录音窗口"})
        EXPECT_NE(text.find(told), std::string::npos) << told;
}

}  // namespace
}  // namespace sonorin
