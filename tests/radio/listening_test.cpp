// What the user listened to: the title list's file and its bounds, the recent stations' playlist,
// and what the player's changes add to both.
#include "radio/listening.h"

#include <gtest/gtest.h>

#include "fakes/fake_clock.h"
#include "fakes/fake_filesystem.h"
#include "fakes/fake_station_player.h"

namespace sonorin::radio {
namespace {

constexpr char kFolder[] = "C:\\Sonorin";
const std::string kFile = std::string(kFolder) + kTitleHistoryFileName;

class ListeningTest : public ::testing::Test {
  protected:
    ListeningTest() {
        files.addFile("C:\\Sonorin\\sonorin.exe");
        // As the program passes the player's changes on.
        player.onChanged = [this] { listening.playerChanged(); };
    }

    std::vector<std::string> titlesOf(const TitleHistory& history) {
        std::vector<std::string> out;
        for (const HeardTitle& t : history.titles())
            out.push_back(t.station + "|" + t.title);
        return out;
    }

    FakeClock clock;
    FakeFileSystem files;
    FakeStationPlayer player;
    Listening listening{player, clock, files};
};

TEST_F(ListeningTest, TitlesAStationAnnouncesAreKeptInOrderAcrossStarts) {
    listening.load(kFolder);
    player.play({"中文环球", "http://127.0.0.1:8000/a.mp3"});
    player.report(PlayerState::Playing, "正在播放", "歌手 - 第一首");
    player.report(PlayerState::Playing, "正在播放 128 kbps", "歌手 - 第一首");  // same title
    clock.advanceSeconds(200);
    player.report(PlayerState::Playing, "正在播放", "第二首\t(现场)\r\n");
    player.report(PlayerState::Connecting, "正在连接…", "不算");
    player.report(PlayerState::Playing, "正在播放", "歌手 - 第一首");  // heard again later

    TitleHistory again(files);
    again.load(kFolder);
    EXPECT_EQ(titlesOf(again),
              (std::vector<std::string>{"中文环球|歌手 - 第一首", "中文环球|第二首 (现场)",
                                        "中文环球|歌手 - 第一首"}));
    EXPECT_EQ(again.titles()[1].at, (DateTime{2026, 12, 6, 9, 8, 27}));
    EXPECT_EQ(*files.readFile(kFile),
              "2026-12-06 09:05:07\t中文环球\t歌手 - 第一首\n"
              "2026-12-06 09:08:27\t中文环球\t第二首 (现场)\n"
              "2026-12-06 09:08:27\t中文环球\t歌手 - 第一首\n");
    EXPECT_FALSE(files.readFile(kFile + ".tmp"));
}

TEST_F(ListeningTest, TheListKeepsTheNewestFiveHundred) {
    listening.load(kFolder);
    for (int i = 0; i < 503; ++i)
        listening.titles.note(clock.current, "电台", "歌 " + std::to_string(i));
    ASSERT_EQ(listening.titles.titles().size(), TitleHistory::kLimit);
    EXPECT_EQ(listening.titles.titles().front().title, "歌 3");
    EXPECT_EQ(listening.titles.titles().back().title, "歌 502");

    // A longer file (edited by hand) also gives the newest five hundred.
    std::string bytes = *files.readFile(kFile);
    files.addFile(kFile, "2026-12-01 08:00:00\t电台\t更早的歌\n" + bytes);
    TitleHistory again(files);
    again.load(kFolder);
    EXPECT_EQ(again.titles().size(), TitleHistory::kLimit);
    EXPECT_EQ(again.titles().front().title, "歌 3");
}

TEST_F(ListeningTest, ADamagedLineIsLeftOutAndTheOthersKept) {
    files.addFile(kFile,
                  "2026-12-06 09:00:00\t电台一\t好的一行\r\n"
                  "2026-12-06 09:01:00\t电台一\t也是好的\n"
                  "2026-13-06 09:02:00\t电台一\t月份不对\n"
                  "2026-12-06 09:03:00\t电台一\t损坏之后的\n");
    listening.load(kFolder);
    EXPECT_EQ(titlesOf(listening.titles),
              (std::vector<std::string>{"电台一|好的一行", "电台一|也是好的", "电台一|损坏之后的"}));

    for (const char* bytes :
         {"垃圾\n", "2026-12-06 09:00:00\t电台\t\n",
          "2026-12-06 09:00:00\t电台\n", "\xff\xfe\x00\x01", ""}) {
        files.addFile(kFile, bytes);
        TitleHistory damaged(files);
        damaged.load(kFolder);
        EXPECT_TRUE(damaged.titles().empty()) << bytes;
    }
}

TEST_F(ListeningTest, ClearingEmptiesTheFileAndAFailedWriteKeepsTheList) {
    listening.load(kFolder);
    listening.titles.note(clock.current, "电台", "歌");
    listening.titles.clear();
    EXPECT_EQ(*files.readFile(kFile), "");

    files.failWritesAfter = 5;  // the disk fills up
    listening.titles.note(clock.current, "电台", "下一首");
    EXPECT_EQ(listening.titles.titles().size(), 1u);
    EXPECT_EQ(*files.readFile(kFile), "");
    EXPECT_FALSE(files.readFile(kFile + ".tmp"));
}

TEST_F(ListeningTest, RecentStationsAreTheLastFivePlayedNewestFirst) {
    listening.load(kFolder);
    for (const char* name : {"一", "二", "三", "四", "五", "六"})
        player.play({name, std::string("http://127.0.0.1/") + name});
    player.play({"三", "http://127.0.0.1/三"});
    player.startsAs = PlayerState::Failed;
    player.play({"坏台", "http://127.0.0.1/x"});  // never played: not a recent one

    RecentStations again(files);
    again.load(kFolder);
    std::vector<std::string> names;
    for (const Station& s : again.stations())
        names.push_back(s.name);
    EXPECT_EQ(names, (std::vector<std::string>{"三", "六", "五", "四", "二"}));
    EXPECT_EQ(again.stations()[0].address, "http://127.0.0.1/三");

    // The list's own entry wins: its address may have changed since.
    EXPECT_EQ(playableStation({"三", "http://old"}, {{"三", "http://new", "", ""}}).address,
              "http://new");
    EXPECT_EQ(playableStation({"三", "http://old"}, {}).address, "http://old");
}

}  // namespace
}  // namespace sonorin::radio
