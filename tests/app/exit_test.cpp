// Quitting the program: whichever window ends the process, every other window has saved
// first, and an armed shutdown timer's "否" calls the whole exit off.
#include <gtest/gtest.h>

#include "app/AudioRecorder.h"
#include "app/DingshiGuanji.h"
#include "app/FrmnoConnection.h"
#include "app/frmDingshishouting.h"
#include "fakes/program_fixture.h"

namespace sonorin {
namespace {

class ExitTest : public ProgramFixture {
  protected:
    // An offline start whose network came back: the offline window stays loaded, hidden,
    // ahead of every window loaded after the hand-over.
    void startOfflineThenGoOnline() {
        shell.online = false;
        program().start();
        shell.online = true;
        program().form<FrmnoConnection>().Timer1.tick();
    }
    void armShutdownTimer() {
        DingshiGuanji& w = program().form<DingshiGuanji>();
        w.CBoxHour2.setText("1");
        w.CBoxMin2.setText("0");
        w.CBoxSec2.setText("0");
        w.CmdStart.click();
        ASSERT_TRUE(w.armed());
    }
};

TEST_F(ExitTest, PlansAreSavedAndTheStationSilencedBeforeTheProcessEnds) {
    startOfflineThenGoOnline();
    program().form<frmDingshishouting>().addPlan({"8:00:00", "9:00:00", "中文环球"});
    player.play({"中文环球", "http://127.0.0.1/live"});

    EXPECT_TRUE(program().form<AudioRecorder>().unload(ui::kUnloadFormControlMenu));
    // The station is silenced, not cut off by the end of the process.
    EXPECT_EQ(player.state(), PlayerState::Stopped);
    const std::size_t saved = events.first("fs replaceFile C:\\Sonorin\\RadioTime.ini.tmp");
    ASSERT_NE(saved, EventLog::npos);
    EXPECT_LT(saved, events.first("shell endProcess"));
    EXPECT_EQ(shell.endedWith, (std::vector<int>{0}));
}

TEST_F(ExitTest, NoToTheArmedTimerQuestionKeepsTheProgramAndItsTimerFromEitherWindow) {
    startOfflineThenGoOnline();
    armShutdownTimer();
    for (ui::Form* closing : std::initializer_list<ui::Form*>{&program().form<AudioRecorder>(),
                                                              &program().form<FrmnoConnection>()}) {
        prompts.answers.push_back(MsgAnswer::No);
        EXPECT_FALSE(closing->unload(ui::kUnloadFormControlMenu));
        EXPECT_TRUE(closing->loaded());
        EXPECT_TRUE(program().isLoaded<AudioRecorder>());
        EXPECT_TRUE(program().form<DingshiGuanji>().armed());
        EXPECT_TRUE(shell.endedWith.empty());
    }
    EXPECT_EQ(prompts.boxes.size(), 2u);
}

TEST_F(ExitTest, EndingTheSessionAsksNothingOfAnArmedTimerAndEndsTheProgram) {
    program().start();
    armShutdownTimer();
    EXPECT_TRUE(program().form<AudioRecorder>().unload(ui::kUnloadAppWindows));
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_FALSE(program().isLoaded<DingshiGuanji>());
    EXPECT_EQ(shell.endedWith, (std::vector<int>{0}));
}

TEST_F(ExitTest, ARecordingCarriedOverFromTheOfflineWindowIsQuestionedOnce) {
    startOfflineThenGoOnline();
    program().form<AudioRecorder>().StatusBar1.setPanelText(2, "正在录音");
    prompts.answers.push_back(MsgAnswer::Yes);
    EXPECT_TRUE(program().form<AudioRecorder>().unload(ui::kUnloadFormControlMenu));
    EXPECT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(shell.endedWith, (std::vector<int>{0}));
}

TEST_F(ExitTest, APlanFileNotEditedInTheProgramIsLeftAsTheUserWroteIt) {
    // A stray byte that is not GBK, a fourth field and no final line break: all read with losses.
    const std::string written = "8:00:00,9:00:00,\xD6\xD0\xFF,x\r\n10:00:00,不确定,电台";
    files.addFile("C:\\Sonorin\\RadioTime.ini", written);
    program().start();
    program().form<frmDingshishouting>();
    EXPECT_TRUE(program().form<AudioRecorder>().unload(ui::kUnloadFormControlMenu));
    EXPECT_EQ(files.content("C:\\Sonorin\\RadioTime.ini"), written);
    EXPECT_FALSE(events.contains("fs writeFile C:\\Sonorin\\RadioTime.ini"));
}

}  // namespace
}  // namespace sonorin
