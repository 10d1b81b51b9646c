// The portal the program serves: its pages from a given station list and plan file, and what
// it answers to each request (paths, methods, Host, token).
#include "radio/portal.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_filesystem.h"
#include "fakes/fake_station_player.h"
#include "radio/html.h"
#include "radio/portal_pages.h"

namespace sonorin::radio {
namespace {

constexpr char kFolder[] = "C:\\Sonorin";
constexpr char kToken[] = "0123456789abcdef0123456789abcdef";

class PortalTest : public ::testing::Test {
  protected:
    PortalTest() {
        files.addFile("C:\\Sonorin\\sonorin.exe");
        files.addFile("C:\\Sonorin\\stations.m3u",
                      "#EXTM3U\r\n#EXTINF:-1 group-title=\"新闻资讯\",中文环球\r\n"
                      "http://127.0.0.1:8000/tone.mp3\r\n"
                      "#EXTINF:-1 group-title=\"新闻资讯\",环球资讯\r\n"
                      "#EXTINF:-1 group-title=\"音乐\" website=\"http://music.example/\","
                      "北京音乐\r\n#EXTINF:-1,<b>&\"怪\"</b>\r\n");
        portal.setPort(18673);
        portal.setToken(kToken);
    }

    // A request as a browser sends it to our port.
    HttpResponse get(const std::string& target, const std::string& method = "GET",
                     const std::string& host = "127.0.0.1:18673") {
        HttpRequest request{method, target, "HTTP/1.1", {{"Host", host}}};
        return portal.handle(request);
    }

    FakeFileSystem files;
    FakeStationPlayer player;
    Portal portal{player, files};
};

TEST_F(PortalTest, StationPageListsEveryStationInOrderUnderItsHeading) {
    portal.loadStations(kFolder);
    const HttpResponse response = get("/radio");
    ASSERT_EQ(response.status, 200);
    EXPECT_EQ(headerValue(response.headers, "Content-Type"), "text/html; charset=utf-8");
    const HtmlPage page = readHtmlPage(response.body);
    ASSERT_EQ(page.links.size(), 4u);
    EXPECT_EQ(page.links[0].text, "中文环球");
    EXPECT_EQ(page.links[1].text, "环球资讯");
    EXPECT_EQ(page.links[2].text, "北京音乐");
    EXPECT_EQ(page.links[3].text, "<b>&\"怪\"</b>");  // shown as written, not as markup
    EXPECT_EQ(page.links[0].href, std::string("/play?station=0&token=") + kToken);
    EXPECT_NE(page.text.find("资讯"), std::string::npos);
    EXPECT_NE(page.text.find("现在没有收听电台"), std::string::npos);
    // One heading per run of a group, in the list's order; an entry without one gets "电台".
    const std::string& html = response.body;
    const auto news = html.find("<h2>新闻资讯</h2>");
    const auto music = html.find("<h2>音乐</h2>");
    const auto plain = html.find("<h2>电台</h2>");
    EXPECT_TRUE(news < html.find("中文环球</a>") && html.find("环球资讯</a>") < music &&
                music < html.find("北京音乐</a>") && html.find("北京音乐</a>") < plain)
        << html;
    EXPECT_EQ(html.find("<h2>新闻资讯</h2>", news + 1), std::string::npos);
    // Nothing from elsewhere: no scripts, no resources but the frame of what plays now.
    EXPECT_EQ(html.find("<script"), std::string::npos);
    const auto frame = html.find("src=\"/radio/now\"");
    EXPECT_NE(frame, std::string::npos);
    EXPECT_EQ(html.find("src=", frame + 1), std::string::npos);
    EXPECT_EQ(html.find("src="), frame);
}

TEST_F(PortalTest, WhatPlaysNowIsAFrameThatReadsItselfAgainAndNeverCallsAFailureListening) {
    portal.loadStations(kFolder);
    const HttpResponse frame = get("/radio/now");
    ASSERT_EQ(frame.status, 200);
    EXPECT_NE(frame.body.find("<meta http-equiv=\"refresh\" content=\"1\">"), std::string::npos);
    // Only our own station page may show it in a frame; no other page is framed at all.
    EXPECT_EQ(headerValue(frame.headers, "X-Frame-Options"), "SAMEORIGIN");
    EXPECT_NE(headerValue(frame.headers, "Content-Security-Policy")->find("frame-ancestors 'self'"),
              std::string::npos);
    const HttpResponse station = get("/radio");
    EXPECT_EQ(headerValue(station.headers, "X-Frame-Options"), "DENY");
    EXPECT_NE(headerValue(station.headers, "Content-Security-Policy")->find("frame-src 'self'"),
              std::string::npos);

    // The frame's line, and the station page's own copy for readers without frames; the
    // station played or tried is the page's current link.
    auto expectLine = [&](const std::string& line, const std::string& absent, int currentLink) {
        for (const std::string path : {"/radio/now", "/radio"}) {
            const std::string text = readHtmlPage(get(path).body).text;
            EXPECT_NE(text.find(line), std::string::npos) << path << ": " << text;
            EXPECT_EQ(text.find(absent), std::string::npos) << path << ": " << text;
        }
        const HtmlPage page = readHtmlPage(get("/radio").body);
        for (std::size_t i = 0; i < page.links.size(); ++i)
            EXPECT_EQ(page.links[i].current, int(i) == currentLink) << line << " " << i;
    };
    EXPECT_EQ(get(std::string("/play?station=0&token=") + kToken).status, 204);
    player.report(PlayerState::Playing, "正在播放", "早间新闻");
    expectLine("正在收听：中文环球 · 正在播放 · 早间新闻", "未能", 1);  // after "停止收听"
    // The title was the broken stream's.
    player.report(PlayerState::Connecting, "连接中断，正在重新连接…（第 2 次）", "早间新闻");
    expectLine("正在收听：中文环球 · 连接中断，正在重新连接…（第 2 次）", "早间新闻", 1);
    player.report(PlayerState::Failed, "无法连接电台");
    expectLine("未能收听：中文环球 · 无法连接电台", "正在收听", 1);
    EXPECT_EQ(get(std::string("/stop?token=") + kToken).status, 204);
    expectLine("现在没有收听电台。", "停止收听", -1);
}

TEST_F(PortalTest, APlayLinkWithTheTokenPlaysItsStationAndStaysOnThePage) {
    portal.loadStations(kFolder);
    const HttpResponse played = get(std::string("/play?station=0&token=") + kToken);
    EXPECT_EQ(played.status, 204);
    EXPECT_TRUE(played.body.empty());
    ASSERT_EQ(player.played.size(), 1u);
    EXPECT_EQ(player.played[0].name, "中文环球");
    EXPECT_EQ(player.played[0].address, "http://127.0.0.1:8000/tone.mp3");
    // The station without an address goes to the player by name.
    EXPECT_EQ(get(std::string("/play?token=") + kToken + "&station=1").status, 204);
    EXPECT_EQ(player.played.at(1).address, "");

    player.status = "正在连接…";
    const HtmlPage page = readHtmlPage(get("/radio").body);
    EXPECT_NE(page.text.find("正在收听：环球资讯 · 正在连接…"), std::string::npos) << page.text;
    EXPECT_EQ(page.links.front().text, "停止收听");
    EXPECT_EQ(get(std::string("/stop?token=") + kToken).status, 204);
    EXPECT_EQ(player.stops, 1);
}

TEST_F(PortalTest, WithoutTheRightTokenNothingPlays) {
    portal.loadStations(kFolder);
    for (const std::string target :
         {"/play?station=0", "/play?station=0&token=", "/play?station=0&token=0123",
          "/play?station=0&token=0123456789abcdef0123456789abcdeF",
          "/play?station=0&token=0123456789abcdef0123456789abcdef0", "/stop", "/stop?token=wrong"})
        EXPECT_EQ(get(target).status, 403) << target;
    for (const std::string target : {"/play?station=4", "/play?station=-1", "/play?station=x",
                                     "/play?station=99999999999999999999", "/play"})
        EXPECT_EQ(get(target + "&token=" + kToken).status, 404) << target;
    EXPECT_TRUE(player.played.empty());
    EXPECT_EQ(player.stops, 0);
}

TEST_F(PortalTest, OnlyOurHostOnlyOurPathsOnlyGetAndHead) {
    portal.loadStations(kFolder);
    for (const std::string host : {"localhost:18673", "127.0.0.1", "127.0.0.1:18674",
                                   "evil.example:18673", "127.0.0.1:18673.evil.example", ""})
        EXPECT_EQ(get("/radio", "GET", host).status, 421) << host;
    EXPECT_EQ(portal.handle({"GET", "/radio", "HTTP/1.0", {}}).status, 400);  // no Host at all
    for (const std::string path : {"/stations.m3u", "/RadioTime.ini", "/../sonorin.exe", "/radio/",
                                   "/C:/Sonorin/help.txt", "/favicon.ico", "//radio"})
        EXPECT_EQ(get(path).status, 404) << path;
    for (const std::string method : {"POST", "PUT", "DELETE", "OPTIONS", "get"})
        EXPECT_EQ(get("/radio", method).status, 405) << method;
    EXPECT_EQ(get(std::string("/play?station=0&token=") + kToken, "POST").status, 405);
    EXPECT_EQ(get(std::string("/play?station=0&token=") + kToken, "HEAD").status, 405);
    EXPECT_TRUE(player.played.empty());

    EXPECT_EQ(get("/").status, 200);
    EXPECT_EQ(get("/radio?from=menu").status, 200);
    EXPECT_EQ(get("/guangbo/").status, 200);
    const HttpResponse moved = get("/guangbo");
    EXPECT_EQ(moved.status, 301);
    EXPECT_EQ(headerValue(moved.headers, "Location"), "/guangbo/");

    // HEAD answers the headers of GET, without the body.
    const std::string head =
        portal.respond("HEAD /radio HTTP/1.1\r\nHost: 127.0.0.1:18673\r\n\r\n");
    EXPECT_EQ(head.substr(0, 15), "HTTP/1.1 200 OK");
    EXPECT_EQ(head.substr(head.size() - 4), "\r\n\r\n");
    EXPECT_NE(head.find("Content-Length: " + std::to_string(get("/radio").body.size())),
              std::string::npos);
    EXPECT_EQ(portal.respond("nonsense\r\n\r\n").substr(0, 12), "HTTP/1.1 400");
    EXPECT_EQ(portal.respond("GET /radio HTTP/1.1\r\nNo colon here\r\n\r\n").substr(0, 12),
              "HTTP/1.1 400");
}

TEST_F(PortalTest, ProgrammePageShowsThePlanFileAndTheStationsSites) {
    files.addFile("C:\\Sonorin\\RadioTime.ini",
                  utf8ToGbk("8:05:00\t8:35:00\t北京音乐\r\n\r\n7:00:00\t不确定\t<中文环球>\r\n"
                            "7:30:00\r\n"));
    portal.loadStations(kFolder);
    const HttpResponse response = get("/guangbo/");
    ASSERT_EQ(response.status, 200);
    const HtmlPage page = readHtmlPage(response.body);
    EXPECT_NE(page.text.find("开始时间 结束时间 电台名称 电台网站\n"
                             "8:05:00 8:35:00 北京音乐 http://music.example/\n"
                             "7:00:00 不确定 <中文环球>\n7:30:00"),
              std::string::npos)
        << page.text;
    EXPECT_EQ(page.links.at(0).href, "http://music.example/");

    EXPECT_EQ(readPlanRows(""), std::vector<PlanRow>{});
    EXPECT_EQ(readPlanRows("a\tb\tc\td\n"), (std::vector<PlanRow>{{"a", "b", "c"}}));
    files.deleteFile("C:\\Sonorin\\RadioTime.ini");
    EXPECT_NE(readHtmlPage(get("/guangbo/").body).text.find("还没有收听计划"), std::string::npos);
}

TEST_F(PortalTest, HomePageLinksToBothPagesAndSaysHowToAddAStation) {
    const HtmlPage page = readHtmlPage(get("/").body);
    ASSERT_EQ(page.links.size(), 2u);
    EXPECT_EQ(page.links[0].href, "/radio");
    EXPECT_EQ(page.links[1].href, "/guangbo/");
    EXPECT_NE(page.text.find("stations.m3u"), std::string::npos);
}

TEST_F(PortalTest, AMissingListIsWrittenAndFoundAddressesAreKept) {
    files.deleteFile("C:\\Sonorin\\stations.m3u");
    portal.loadStations(kFolder);
    EXPECT_EQ(portal.stations(), defaultStationList());
    const auto written = files.content("C:\\Sonorin\\stations.m3u");
    ASSERT_TRUE(written);
    EXPECT_EQ(readStationList(*written), defaultStationList());

    portal.addressFound({"中文环球", "http://dir.example/cri.mp3"});
    portal.addressFound({"没有这个台", "http://dir.example/none.mp3"});
    const auto updated = readStationList(*files.content("C:\\Sonorin\\stations.m3u"));
    EXPECT_EQ(updated[1].name, "中文环球");
    EXPECT_EQ(updated[1].address, "http://dir.example/cri.mp3");
    EXPECT_EQ(updated.size(), defaultStationList().size());

    // A list that cannot take the address is left alone, and the user is told.
    std::vector<std::string> warnings;
    portal.onWarning = [&](const std::string& text) { warnings.push_back(text); };
    files.writeFails = true;
    portal.addressFound({"北京新闻", "http://dir.example/bj.mp3"});
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("“北京新闻”"), std::string::npos);
    EXPECT_EQ(portal.stations()[2].address, "http://dir.example/bj.mp3");  // plays this run
    files.writeFails = false;

    // A list that cannot be written still serves its stations.
    files.deleteFile("C:\\Sonorin\\stations.m3u");
    files.writeFails = true;
    Portal again(player, files);
    again.loadStations(kFolder);
    EXPECT_EQ(again.stations().size(), defaultStationList().size());
}

TEST_F(PortalTest, AFoundAddressThatCannotBeFinishedLeavesTheListWhole) {
    portal.loadStations(kFolder);
    const std::string before = *files.content("C:\\Sonorin\\stations.m3u");
    std::vector<std::string> warnings;
    portal.onWarning = [&](const std::string& text) { warnings.push_back(text); };
    files.failWritesAfter = 10;  // the disk fills up part-way
    portal.addressFound({"环球资讯", "http://dir.example/hq.mp3"});
    EXPECT_EQ(files.content("C:\\Sonorin\\stations.m3u"), before);
    EXPECT_FALSE(files.exists("C:\\Sonorin\\stations.m3u.tmp"));
    EXPECT_EQ(warnings.size(), 1u);
}

TEST(PortalToken, EachRunHasItsOwn) {
    const std::string a = newPortalToken(), b = newPortalToken();
    EXPECT_EQ(a.size(), 32u);
    EXPECT_EQ(a.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_NE(a, b);
}

// The title list's page: newest first under its day, each title a link that has the program
// search for it; the list is cleared only with the run's token.
TEST_F(PortalTest, TitlePageSearchesForATitleAndClearsWithTheToken) {
    FakeClock clock;
    Listening listening{player, clock, files};
    listening.load(kFolder);
    listening.titles.note({2026, 12, 5, 23, 59, 0}, "中文环球", "昨天的歌");
    listening.titles.note(clock.current, "北京音乐", "A&B <现场>");
    std::vector<std::string> opened;
    portal.onOpenPage = [&](const std::string& address) { opened.push_back(address); };
    EXPECT_EQ(get(kTitlesPath).status, 404);  // no list, no page
    portal.setListening(&listening);
    portal.loadStations(kFolder);
    EXPECT_EQ(readHtmlPage(get("/").body).links.back().href, kTitlesPath);

    const HttpResponse response = get(kTitlesPath);
    ASSERT_EQ(response.status, 200);
    const HtmlPage page = readHtmlPage(response.body);
    ASSERT_EQ(page.links.size(), 4u);
    EXPECT_EQ(page.links[1].text, "清空列表");
    EXPECT_EQ(page.links[2].text, "09:05 · 北京音乐 · A&B <现场>");
    EXPECT_EQ(page.links[3].text, "23:59 · 中文环球 · 昨天的歌");
    EXPECT_LT(response.body.find("<h2>今天</h2>"), response.body.find("<h2>2026-12-05</h2>"));

    EXPECT_EQ(get(page.links[2].href).status, 204);
    EXPECT_EQ(
        opened,
        (std::vector<std::string>{"https://www.baidu.com/s?wd=A%26B%20%3C%E7%8E%B0%E5%9C%BA%3E"}));
    EXPECT_EQ(get(std::string(kSearchTitlePath) + "?title=x").status, 403);
    EXPECT_EQ(get(std::string(kClearTitlesPath) + "?token=wrong").status, 403);
    EXPECT_EQ(listening.titles.titles().size(), 2u);
    EXPECT_EQ(get(page.links[1].href).status, 204);
    EXPECT_TRUE(listening.titles.titles().empty());
    EXPECT_EQ(readHtmlPage(get(kTitlesPath).body).links.size(), 1u);  // only "返回电台"
}

}  // namespace
}  // namespace sonorin::radio
