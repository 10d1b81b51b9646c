// The radio pane of the main window: clicking station links by name, the auto-listen, stopping,
// the pane's silence, the menu commands and the portal the program opens at start-up.
#include <gtest/gtest.h>

#include "app/AudioRecorder.h"
#include "app/config.h"
#include "app/frmDingshishouting.h"
#include "fakes/program_fixture.h"
#include "radio/station_list.h"

namespace sonorin {
namespace {

class RadioPaneTest : public ProgramFixture {
  protected:
    void SetUp() override { program().start(); }
    AudioRecorder& main() { return program().form<AudioRecorder>(); }
    FakeBrowser& pane() { return windows.browser; }
    std::vector<int> clickedFor(const std::string& name) {
        pane().clicked.clear();
        program().form<frmDingshishouting>().TBoxMingCheng.setText(name);
        main().Command1_Click();
        return pane().clicked;
    }
};

TEST_F(RadioPaneTest, ScheduledNameClicksEveryLinkContainingIt) {
    pane().links = {"中文环球", "北京音乐", "今晚的北京音乐会", "", "北京音乐台", "beijing"};
    EXPECT_EQ(clickedFor("北京音乐"), (std::vector<int>{1, 2, 4}));  // in document order
    EXPECT_EQ(clickedFor("中文环球"), (std::vector<int>{0}));
    EXPECT_EQ(clickedFor("BEIJING"), (std::vector<int>{}));        // case counts
    EXPECT_EQ(clickedFor(""), (std::vector<int>{0, 1, 2, 4, 5}));  // all but the empty text
    EXPECT_EQ(clickedFor("没有的台"), (std::vector<int>{}));
    pane().links.clear();
    EXPECT_EQ(clickedFor("中文环球"), (std::vector<int>{}));  // no page: nothing to click
}

TEST_F(RadioPaneTest, APlannedStationNoLinkNamesIsLookedUpAndItsFailureExplained) {
    pane().links = {"中文环球"};
    player.startsAs = PlayerState::Connecting;
    EXPECT_EQ(clickedFor("没有的台"), (std::vector<int>{}));
    ASSERT_EQ(player.played.size(), 1u);
    EXPECT_EQ(player.played[0].name, "没有的台");
    EXPECT_EQ(player.played[0].address, "") << "looked up in the station directory";
    player.report(PlayerState::Failed, "电台目录里找不到这个电台");
    ASSERT_EQ(prompts.texts().size(), 1u);
    EXPECT_EQ(prompts.texts()[0], "计划的电台“没有的台”不在电台列表里，也没有在电台目录里找到");
    player.report(PlayerState::Failed, "电台目录里找不到这个电台");
    EXPECT_EQ(prompts.texts().size(), 1u) << "said once";
    clickedFor("中文环球");
    EXPECT_EQ(player.played.size(), 1u) << "a station the page lists is clicked, not looked up";
}

TEST_F(RadioPaneTest, AutoListenClicksTheStationOnceAfterFiveTicks) {
    pane().links = {"环球资讯", "中文环球", "更多中文环球节目"};
    EXPECT_EQ(main().Label1.caption(), "5");
    EXPECT_TRUE(main().Timer3.running());
    for (int tick = 1; tick <= 4; ++tick) {
        main().Timer3.tick();
        EXPECT_TRUE(pane().clicked.empty()) << tick;
    }
    const int eventsBefore = windows.doEventsCalls;
    main().Timer3.tick();
    EXPECT_EQ(pane().clicked, (std::vector<int>{1, 2}));
    EXPECT_EQ(main().Label1.caption(), "0");
    EXPECT_GT(windows.doEventsCalls, eventsBefore);  // messages go through on each tick
    for (int tick = 0; tick < 10; ++tick)
        main().Timer3.tick();
    EXPECT_EQ(pane().clicked.size(), 2u);
    EXPECT_EQ(main().Label1.caption(), "-10");
    EXPECT_TRUE(main().Timer3.running());
}

TEST_F(RadioPaneTest, ATickArrivingWhileMessagesGoThroughDoesNotCountTwice) {
    pane().links = {"中文环球"};
    main().Label1.setCaption("1");
    // The next tick comes in while the first lets messages through.
    windows.onDoEvents = [this] {
        windows.onDoEvents = nullptr;
        main().Timer3.tick();
    };
    main().Timer3.tick();
    EXPECT_EQ(pane().clicked.size(), 1u);
    EXPECT_EQ(main().Label1.caption(), "0");
}

TEST_F(RadioPaneTest, StopSilencesThePaneAndThePlayer) {
    main().Command3_Click();
    EXPECT_EQ(pane().stops, 1);
    EXPECT_EQ(player.stops, 1);
}

TEST_F(RadioPaneTest, ThePaneReadsThePageAgainAtEachChangeOfThePlayer) {
    const int before = pane().refreshes;
    player.report(PlayerState::Connecting, "正在连接…");
    player.report(PlayerState::Playing, "正在播放", "早间新闻");
    EXPECT_EQ(pane().refreshes, before + 2);
}

TEST_F(RadioPaneTest, DownloadEventsKeepThePaneSilent) {
    for (auto event :
         {&ui::WebBrowserPane::onDownloadBegin, &ui::WebBrowserPane::onDownloadComplete}) {
        pane().silent = false;
        (main().WebBrowser1.*event)();
        EXPECT_TRUE(pane().silent);
    }
}

TEST_F(RadioPaneTest, MenuCommandsOpenFoldersPagesAndHelp) {
    const std::string portal = config::portalHost();
    EXPECT_EQ(portal, "http://127.0.0.1:18673");
    struct Case {
        ui::MenuItem& entry;
        FakeShell::Open expected;
    };
    AudioRecorder& m = main();
    const Case cases[] = {
        {m.mnuopen, {"open", "C:\\Sonorin\\录音文件", "", ""}},
        {m.mnu_daohang, {"Open", portal, "", "C:\\Sonorin"}},
        {m.mnudaohang, {"Open", portal, "", "C:\\Sonorin"}},
        {m.mnu_JiemuShijianBiao, {"Open", portal + "/guangbo/", "", "C:\\Sonorin"}},
        {m.mnu_jiemubiao, {"Open", portal + "/guangbo/", "", "C:\\Sonorin"}},
        {m.mnu_website, {"Open", config::makerSite(), "", "C:\\Sonorin"}},
        {m.mnu_TrayWebsite, {"Open", config::makerSite(), "", "C:\\Sonorin"}},
    };
    for (const Case& c : cases) {
        shell.opens.clear();
        c.entry.click();
        ASSERT_EQ(shell.opens.size(), 1u) << c.entry.name();
        const FakeShell::Open& o = shell.opens[0];
        EXPECT_EQ(o.verb, c.expected.verb) << c.entry.name();
        EXPECT_EQ(o.file, c.expected.file) << c.entry.name();
        EXPECT_EQ(o.parameters, "") << c.entry.name();
        EXPECT_EQ(o.folder, c.expected.folder) << c.entry.name();
    }
    m.mnuhelpcontent.click();
    ASSERT_EQ(shell.runs.size(), 1u);
    EXPECT_EQ(shell.runs[0].commandLine, "notepad C:\\Sonorin\\help.txt");
    EXPECT_EQ(shell.runs[0].show, WindowShow::Normal);
    shell.opens.clear();
    m.mnupophelp.click();
    EXPECT_TRUE(shell.opens.empty());
}

TEST_F(RadioPaneTest, StartUpOpensThePortalOnItsPortBeforeThePaneNavigates) {
    ASSERT_EQ(server.listens.size(), 1u);
    EXPECT_EQ(server.listens[0].port, config::kPortalPort);
    EXPECT_EQ(pane().navigated, (std::vector<std::string>{"http://127.0.0.1:18673/radio"}));
    // The list was missing: the default one is written beside the program.
    const auto written = files.content("C:\\Sonorin\\stations.m3u");
    ASSERT_TRUE(written);
    EXPECT_EQ(radio::readStationList(*written), radio::defaultStationList());

    // The server hands requests to the portal, which knows its port and plays through the
    // player; an address the player finds is written back to the list.
    const std::string token = program().portal.token();
    const std::string answer = server.request("GET /play?station=1&token=" + token +
                                              " HTTP/1.1\r\nHost: 127.0.0.1:18673\r\n\r\n");
    EXPECT_EQ(answer.substr(0, 12), "HTTP/1.1 204");
    ASSERT_EQ(player.played.size(), 1u);
    EXPECT_EQ(player.played[0].name, "中文环球");
    player.onAddressFound({"中文环球", "http://dir.example/zwhq.mp3"});
    EXPECT_EQ(radio::readStationList(*files.content("C:\\Sonorin\\stations.m3u"))[1].address,
              "http://dir.example/zwhq.mp3");
}

class RadioPortTest : public ProgramFixture {};

TEST_F(RadioPortTest, ATakenPortMovesThePortalToTheNextFreeOne) {
    server.freePort = 18675;
    program().start();
    EXPECT_EQ(config::portalHost(), "http://127.0.0.1:18675");
    EXPECT_EQ(windows.browser.navigated.at(0), "http://127.0.0.1:18675/radio");
    EXPECT_EQ(server.request("GET / HTTP/1.1\r\nHost: 127.0.0.1:18675\r\n\r\n").substr(0, 12),
              "HTTP/1.1 200");
    config::setPortalPort(config::kPortalPort);  // the next test starts from the default
}

}  // namespace
}  // namespace sonorin
