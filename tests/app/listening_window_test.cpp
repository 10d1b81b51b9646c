// The main window's side of what the user listened to: the tray menu's station entries and
// the title list window.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/AudioRecorder.h"
#include "app/frmZuijinBofang.h"
#include "fakes/program_fixture.h"

namespace sonorin {
namespace {

using Texts = std::vector<std::string>;

class ListeningWindowTest : public ProgramFixture {
  protected:
    void SetUp() override {
        files.addFile("C:\\Sonorin\\最近收听.m3u",
                      "#EXTM3U\r\n#EXTINF:-1,北京音乐\r\nhttp://127.0.0.1:9/old\r\n"
                      "#EXTINF:-1,R&B 台\r\n");
        files.addFile("C:\\Sonorin\\stations.m3u",
                      "#EXTM3U\r\n#EXTINF:-1,北京音乐\r\nhttp://127.0.0.1:8000/bj.mp3\r\n");
        program().start();
    }
    AudioRecorder& main() { return program().form<AudioRecorder>(); }

    // The first entries of the tray menu as the user sees them when it pops up.
    Texts trayEntries(std::size_t count) {
        Texts shown;
        for (const ui::MenuItem* item : main().mnuTray.items())
            if (item->visible() && shown.size() < count)
                shown.push_back(item->caption());
        return shown;
    }
};

TEST_F(ListeningWindowTest, TheTrayMenuPlaysARecentStationAndStopsTheOnePlaying) {
    EXPECT_EQ(trayEntries(4), (Texts{"北京音乐", "R&&B 台", "-", "最近播放"}));

    // The list's address, not the one kept from before.
    main().mnuTrayRecent1.click();
    ASSERT_EQ(player.played.size(), 1u);
    EXPECT_EQ(player.played[0].address, "http://127.0.0.1:8000/bj.mp3");
    EXPECT_EQ(trayEntries(3), (Texts{"正在播放：北京音乐", "停止", "-"}));

    main().mnuTrayRecent2.click();
    EXPECT_EQ(player.played.back().name, "R&B 台");
    EXPECT_EQ(main().mnuTrayRecent1.caption(), "R&&B 台");

    main().mnuTrayStop.click();
    EXPECT_EQ(player.stops, 1);
    EXPECT_EQ(trayEntries(1), Texts{"R&&B 台"});
}

TEST_F(ListeningWindowTest, TheTitleWindowShowsNewestFirstSearchesAndClearsAfterAsking) {
    main().mnuTrayRecent1.click();
    player.report(PlayerState::Playing, "正在播放", "第一首");
    clock.advanceSeconds(60);
    player.report(PlayerState::Playing, "正在播放", "第二首");
    main().mnuZuijinBofang.click();
    frmZuijinBofang& w = program().form<frmZuijinBofang>();
    ASSERT_EQ(w.ListView1.rowCount(), 2);
    EXPECT_EQ((Texts{w.ListView1.text(0, 0), w.ListView1.text(0, 1), w.ListView1.text(0, 2)}),
              (Texts{"09:06:07", "北京音乐", "第二首"}));

    // A title heard while the window is open shows at once.
    player.report(PlayerState::Playing, "正在播放", "第三首");
    ASSERT_EQ(w.ListView1.rowCount(), 3);

    w.cmdSearch_Click();
    EXPECT_EQ(prompts.texts(), (Texts{"请先在列表里选中一个标题。"}));
    w.ListView1_MouseDown(ui::MouseButton::Left, 2);
    EXPECT_EQ(w.TBoxTitle.text(), "第一首");
    w.cmdSearch_Click();
    ASSERT_FALSE(shell.opens.empty());
    EXPECT_EQ(shell.opens.back().file, "https://www.baidu.com/s?wd=%E7%AC%AC%E4%B8%80%E9%A6%96");

    prompts.answers = {MsgAnswer::No};
    w.cmdClear_Click();
    EXPECT_EQ(w.ListView1.rowCount(), 3);
    prompts.answers = {MsgAnswer::Yes};
    w.cmdClear_Click();
    EXPECT_EQ(prompts.texts().back(), "要清空最近播放里的 3 个标题吗？");
    EXPECT_EQ(w.ListView1.rowCount(), 0);
    EXPECT_EQ(*files.readFile("C:\\Sonorin\\最近播放.txt"), "");
}

TEST_F(ListeningWindowTest, ATitleNoticeRisesFromTheTrayIconOnlyWhenTheUserTurnedItOn) {
    main().mnuTrayRecent1.click();
    program().module1.AddTrayIcon();
    auto notices = [this] {
        return std::count_if(tray.log.begin(), tray.log.end(),
                             [](const std::string& line) { return line.starts_with("notice"); });
    };
    player.report(PlayerState::Playing, "正在播放", "第一首");
    EXPECT_EQ(notices(), 0);

    // The menu says how it stands as it opens; the choice is kept.
    windows.onPopup = [this](ui::MenuItem&) { main().mnuTrayTitleNotice.click(); };
    tray.deliver(main(), kTrayCallbackMessage, 517);
    EXPECT_EQ(main().mnuTrayTitleNotice.caption(), "歌名通知：关");
    EXPECT_EQ((settings.values[{"Sonorin", "Listening", "TitleNotice"}]), "1");
    player.report(PlayerState::Playing, "正在播放", "第二首");
    EXPECT_EQ(tray.log.back(), "notice AudioRecorder 北京音乐 第二首");

    // A window on the screen shows the title itself.
    program().module1.RemoveTrayIcon();
    player.report(PlayerState::Playing, "正在播放", "第三首");
    EXPECT_EQ(notices(), 1);
}

}  // namespace
}  // namespace sonorin
