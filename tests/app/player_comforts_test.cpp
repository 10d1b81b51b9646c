// The main window's listening comforts: the program's own volume and mute, the sleep timer,
// and the media keys.
#include <gtest/gtest.h>

#include "app/AudioRecorder.h"
#include "app/program.h"
#include "fakes/program_fixture.h"

namespace sonorin {
namespace {

class PlayerComfortsTest : public ProgramFixture {
  protected:
    AudioRecorder& started() {
        program().start();
        return program().form<AudioRecorder>();
    }
    std::string stored(const std::string& key) {
        return settings.values[{"Sonorin", "Player", key}];
    }
};

TEST_F(PlayerComfortsTest, VolumeAndMuteReachThePlayerAndAreKeptForTheNextStart) {
    settings.values[{"Sonorin", "Player", "Volume"}] = "40";
    settings.values[{"Sonorin", "Player", "Muted"}] = "True";
    AudioRecorder& m = started();
    EXPECT_EQ(m.volume(), 40);
    EXPECT_EQ(player.volume(), 0.0);
    EXPECT_EQ(m.cmdMute.caption(), "恢复");
    EXPECT_TRUE(m.mnuTrayMute.checked());
    EXPECT_TRUE(settings.writes.empty()) << "reading is no change of the user's";

    m.cmdMute.click();
    EXPECT_DOUBLE_EQ(player.volume(), 0.4);
    EXPECT_EQ(stored("Muted"), "False");
    m.mnuTrayQuieter.click();
    EXPECT_DOUBLE_EQ(player.volume(), 0.3);
    EXPECT_EQ(stored("Volume"), "30");

    // The volume keys are the program's only while its window has the focus.
    EXPECT_FALSE(m.appCommand(ui::AppCommand::VolumeUp, false));
    EXPECT_EQ(m.volume(), 30);
    EXPECT_TRUE(m.appCommand(ui::AppCommand::VolumeUp, true));
    EXPECT_EQ(m.volume(), 40);
}

TEST_F(PlayerComfortsTest, TheSleepTimerFadesTheRadioOutAndStopsItAtItsTime) {
    AudioRecorder& m = started();
    player.play({"中文环球", ""});
    const int stopsBefore = player.stops;
    m.sleepIn(15);  // at 9:05:07
    EXPECT_EQ(m.mnuSleep.caption(), "定时停止播放（9:20 停止）");

    clock.advanceSeconds(15 * 60 - 5);
    m.tmrSleep.tick();
    EXPECT_GT(player.volume(), 0.1);
    EXPECT_LT(player.volume(), 0.5);
    EXPECT_EQ(player.stops, stopsBefore);

    clock.advanceSeconds(5);
    m.tmrSleep.tick();
    EXPECT_EQ(player.stops, stopsBefore + 1);
    EXPECT_EQ(player.volume(), 1.0) << "the next station plays at the user's volume";
    EXPECT_EQ(m.mnuSleep.caption(), "定时停止播放");
    EXPECT_FALSE(m.sleepArmed());

    // A time gone by today is tomorrow's.
    m.sleepAt(9 * 3600);
    EXPECT_EQ(m.mnuSleep.caption(), "定时停止播放（9:00 停止）");
    clock.advanceSeconds(3600);
    m.tmrSleep.tick();
    EXPECT_TRUE(m.sleepArmed());
}

TEST_F(PlayerComfortsTest, MediaKeysWalkTheStationListAndPlayPauseResumes) {
    AudioRecorder& m = started();
    const auto& list = program().portal.stations();
    ASSERT_GE(list.size(), 3u);
    player.played.clear();
    m.appCommand(ui::AppCommand::NextTrack, false);
    m.appCommand(ui::AppCommand::NextTrack, false);
    m.appCommand(ui::AppCommand::PreviousTrack, false);
    m.appCommand(ui::AppCommand::PreviousTrack, false);
    std::vector<std::string> names;
    for (const Station& s : player.played)
        names.push_back(s.name);
    EXPECT_EQ(names, (std::vector<std::string>{list[0].name, list[1].name, list[0].name,
                                               list.back().name}));

    m.appCommand(ui::AppCommand::PlayPause, false);
    EXPECT_EQ(player.state(), PlayerState::Stopped);
    m.appCommand(ui::AppCommand::PlayPause, false);
    EXPECT_EQ(player.current().name, list.back().name);
}

}  // namespace
}  // namespace sonorin
