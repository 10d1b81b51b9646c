// What the stand-in pane makes of the portal's pages: the station list must not move when what
// plays changes, and the stop stands in the header, not in the list.
#include "radio/page_view.h"

#include <gtest/gtest.h>

#include "radio/portal_pages.h"

namespace sonorin::radio {
namespace {

PageView stationView(const NowPlaying& now) {
    const std::vector<StationEntry> stations = {{"中文环球", "", "新闻资讯", ""},
                                                {"北京音乐", "", "音乐", ""},
                                                {"都市流行", "", "音乐", ""}};
    return viewPage(readHtmlPage(stationPage(stations, "0123", now)));
}

TEST(PageView, TheStationListKeepsItsPlacesWhateverPlays) {
    const PageView idle = stationView({});
    const PageView playing =
        stationView({"北京音乐", PlayerState::Playing, "正在播放", "一首很长很长的歌的名字"});
    ASSERT_EQ(idle.entries.size(), playing.entries.size());
    for (std::size_t i = 0; i < idle.entries.size(); ++i) {
        std::string text = playing.entries[i].text;
        if (text.starts_with("▶ "))
            text.erase(0, std::string("▶ ").size());
        EXPECT_EQ(idle.entries[i].text, text) << i;
        EXPECT_EQ(idle.entries[i].link < 0, playing.entries[i].link < 0) << i;
    }
    EXPECT_EQ(playing.entries[3].text, "▶ 北京音乐");
    EXPECT_EQ(playing.entries.front().text, "新闻资讯");
    EXPECT_EQ(playing.entries.back().text, "都市流行");
    EXPECT_EQ(playing.heading, "星澜网络收音机 · 电台与资讯");

    // The stop is the header's, out of the line and out of the list.
    ASSERT_EQ(playing.lineLinks.size(), 1u);
    EXPECT_EQ(
        readHtmlPage(stationPage({}, "0123", {"x", PlayerState::Playing, "", ""})).links[0].text,
        "停止收听");
    EXPECT_EQ(playing.line, "正在收听：北京音乐 · 正在播放 · 一首很长很长的歌的名字");
    // The station's name in the line is no stop, and stays in the line and in the list.
    const PageView failed = stationView({"中文环球", PlayerState::Failed, "无法连接电台", ""});
    EXPECT_EQ(failed.lineLinks, playing.lineLinks);
    EXPECT_EQ(failed.line, "未能收听：中文环球 · 无法连接电台");
    EXPECT_EQ(failed.entries[1].text, "▶ 中文环球");
    EXPECT_TRUE(idle.lineLinks.empty());
    EXPECT_EQ(idle.line, "现在没有收听电台。点一下电台的名字就开始收听。");
}

TEST(PageView, LinksOnLinesOfTheirOwnStayInTheList) {
    const PageView home = viewPage(readHtmlPage(homePage()));
    EXPECT_TRUE(home.lineLinks.empty());
    ASSERT_GE(home.entries.size(), 3u);
    EXPECT_EQ(home.entries[0].link, -1);
    EXPECT_EQ(home.entries[1].text, "电台");
    // A page without text shows its title.
    EXPECT_EQ(viewPage(readHtmlPage("<title>空</title>")).heading, "空");
}

}  // namespace
}  // namespace sonorin::radio
