// The plan file: its bytes, what the reader keeps, and a save that cannot lose the old file.
#include "schedule/plan_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_filesystem.h"
#include "fakes/fake_prompts.h"

namespace sonorin {
namespace {

const std::string kPath = "C:\\Sonorin\\RadioTime.ini";

TEST(PlanFileTest, TheWorkedExampleIsTwentySixBytes) {
    const std::string bytes = formatPlanFile({{"8:05:00", "8:35:00", "北京新闻"}});
    EXPECT_EQ(bytes, std::string("8:05:00\t8:35:00\t\xB1\xB1\xBE\xA9\xD0\xC2\xCE\xC5\r\n"));
    EXPECT_EQ(bytes.size(), 26u);
    EXPECT_EQ(formatPlanFile({}), "") << "no plans, no bytes";
    EXPECT_EQ(parsePlanFile(bytes),
              (std::vector<ListeningPlan>{{"8:05:00", "8:35:00", "北京新闻"}}));
}

TEST(PlanFileTest, ReadingAndSavingValidLinesGivesTheSameBytes) {
    const std::string files[] = {
        "",
        "8:05:00\t8:35:00\t\xB1\xB1\xBE\xA9\xD0\xC2\xCE\xC5\r\n"
        "23:50:00\t0:20:00\t\xD3\xA2\xB9\xFA"
        "BBC\r\n"
        "7:00:00\t\xB2\xBB\xC8\xB7\xB6\xA8\t\xC3\xC0\xB9\xFA\xD6\xAE\xD2\xF4\r\n",
        "7:30:00\t\t\r\n",
        " 8:05:00\t08:35:00 \t\r\n\t\t\r\n",
        "8:05:00\t8:35:00\tNo TAB, just text: ~!@#$%^&*()\r\n",
    };
    for (const std::string& file : files)
        EXPECT_EQ(formatPlanFile(parsePlanFile(file)), file);
}

TEST(PlanFileTest, TheReaderKeepsEveryFieldAsItStood) {
    // A lone start time; four pieces; an empty line; a leading blank; LF and CR line ends and
    // a last line without one.
    const auto plans = parsePlanFile(
        "7:30:00\r\n8:00:00\t9:00:00\tA\tB\tC\r\n\r\n 8:05:00\t8:35:00\t\xB1\xB1\r\n"
        "1:00:00\t2:00:00\tLF\n3:00:00\t4:00:00\tCR\r5:00:00\t\xB2\xBB\xC8\xB7\xB6\xA8\tlast");
    const std::vector<ListeningPlan> expected{
        {"7:30:00", "", ""},          {"8:00:00", "9:00:00", "A"},  {" 8:05:00", "8:35:00", "北"},
        {"1:00:00", "2:00:00", "LF"}, {"3:00:00", "4:00:00", "CR"}, {"5:00:00", "不确定", "last"},
    };
    EXPECT_EQ(plans, expected);
    EXPECT_EQ(formatPlanFile({plans[0], plans[1]}), "7:30:00\t\t\r\n8:00:00\t9:00:00\tA\r\n");
}

class PlanSaveTest : public ::testing::Test {
  protected:
    bool save(const std::vector<ListeningPlan>& plans) {
        return writePlanFile(files, prompts, "C:\\Sonorin", plans);
    }
    FakeFileSystem files;
    FakePrompts prompts;
    const std::string old = "6:00:00\t7:00:00\t\xB1\xB1\r\n";
};

TEST_F(PlanSaveTest, ACompletedSaveHoldsExactlyThePlansAndLeavesNoTemporaryFile) {
    files.addFile(kPath, old);
    ASSERT_TRUE(save({{"8:05:00", "8:35:00", "北京新闻"}, {"7:00:00", "不确定", "美国之音"}}));
    EXPECT_EQ(*files.content(kPath), formatPlanFile({{"8:05:00", "8:35:00", "北京新闻"},
                                                     {"7:00:00", "不确定", "美国之音"}}));
    EXPECT_EQ(files.files(), (std::vector<std::string>{kPath}));
    ASSERT_TRUE(save({}));
    EXPECT_EQ(files.content(kPath), std::string()) << "an empty list is an empty file";
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_EQ(readPlanFile(files, "C:\\Sonorin").size(), 0u);
}

TEST_F(PlanSaveTest, ASaveThatFailsLeavesTheOldFileByteForByteAndSaysWhere) {
    files.addFile(kPath, old);
    files.failWritesAfter = 10;  // the disk fills up in the middle of the first line
    EXPECT_FALSE(save({{"8:05:00", "8:35:00", "北京新闻"}}));
    EXPECT_EQ(*files.content(kPath), old);
    EXPECT_EQ(files.files(), (std::vector<std::string>{kPath})) << "no temporary file left";
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_NE(prompts.boxes[0].text.find(kPath), std::string::npos) << prompts.boxes[0].text;
    EXPECT_EQ(prompts.boxes[0].title, "星澜网络收音机");

    files.failWritesAfter.reset();
    files.failReplace = true;  // the file is locked by another program
    EXPECT_FALSE(save({}));
    EXPECT_EQ(*files.content(kPath), old);
    EXPECT_EQ(files.files(), (std::vector<std::string>{kPath}));
    EXPECT_EQ(prompts.boxes.size(), 2u);
}

TEST_F(PlanSaveTest, AFileThatCannotBeReadHoldsNoPlans) {
    EXPECT_TRUE(readPlanFile(files, "C:\\Sonorin").empty());
    files.addFile("C:\\Sonorin\\RadioTime.ini\\x");  // a folder of that name
    EXPECT_TRUE(readPlanFile(files, "C:\\Sonorin").empty());
}

}  // namespace
}  // namespace sonorin
