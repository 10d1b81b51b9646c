// Listening comforts of the main window: the program's own volume and mute (the slider and
// button over the pane, the tray menu), the sleep timer that fades the radio out and stops
// it, and the keyboard's media keys.
#include <string>

#include "app/AudioRecorder.h"
#include "app/frmStopAt.h"
#include "app/program.h"
#include "recorder/settings.h"

namespace sonorin {
namespace {

constexpr const char* kPlayerSection = "Player";
constexpr int kVolumeStep = 10;
constexpr int kDefaultVolume = 100;
constexpr int kSleepTickMs = 200;

std::string twoDigits(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

}  // namespace

void AudioRecorder::wirePlayerControls() {
    sldVolume.setMax(100);
    sldVolume.setValue(kDefaultVolume);
    sldVolume.setToolTip("音量");
    sldVolume.onChange = [this] {
        applyVolume();
        if (volumeRestored_)
            program_.platform.settings.saveSetting(kSettingsApp, kPlayerSection, "Volume",
                                                   std::to_string(volume()));
    };
    cmdMute.onClick = [this] { cmdMute_Click(); };
    mnuTrayMute.onClick = [this] { cmdMute_Click(); };
    mnuTrayLouder.onClick = [this] { setVolume(volume() + kVolumeStep); };
    mnuTrayQuieter.onClick = [this] { setVolume(volume() - kVolumeStep); };

    mnuSleep15.onClick = [this] { sleepIn(15); };
    mnuSleep30.onClick = [this] { sleepIn(30); };
    mnuSleep60.onClick = [this] { sleepIn(60); };
    mnuSleep90.onClick = [this] { sleepIn(90); };
    mnuSleepAt.onClick = [this] { program_.form<frmStopAt>().show(true); };
    mnuSleepOff.onClick = [this] { cancelSleep(); };
    tmrSleep.onTick = [this] { tmrSleep_Timer(); };
    showSleep();
    showMute();

    onAppCommand = [this](ui::AppCommand command, bool focused) {
        return appCommand(command, focused);
    };
}

void AudioRecorder::restoreVolume() {
    SettingsStore& store = program_.platform.settings;
    const std::string stored =
        store.getSetting(kSettingsApp, kPlayerSection, "Volume", std::to_string(kDefaultVolume));
    // A value that is no number in range (edited by hand) is the default.
    int level = kDefaultVolume;
    if (!stored.empty() && stored.size() <= 3 &&
        stored.find_first_not_of("0123456789") == std::string::npos && std::stoi(stored) <= 100)
        level = std::stoi(stored);
    setVolume(level);
    muted_ = store.getSetting(kSettingsApp, kPlayerSection, "Muted", "False") == "True";
    showMute();
    volumeRestored_ = true;
}

void AudioRecorder::cmdMute_Click() {
    muted_ = !muted_;
    showMute();
    program_.platform.settings.saveSetting(kSettingsApp, kPlayerSection, "Muted",
                                           muted_ ? "True" : "False");
}

void AudioRecorder::showMute() {
    cmdMute.setCaption(muted_ ? "恢复" : "静音");
    cmdMute.setToolTip(muted_ ? "恢复声音" : "静音（只是本程序的声音）");
    mnuTrayMute.setChecked(muted_);
    applyVolume();
}

void AudioRecorder::applyVolume() {
    const double fade = sleep_.level(program_.platform.clock.tickMs());
    program_.platform.player.setVolume(muted_ ? 0.0 : volume() / 100.0 * fade);
}

void AudioRecorder::sleepIn(int minutes) {
    sleep_.arm(program_.platform.clock.tickMs(), std::int64_t(minutes) * 60000);
    showSleep();
}

void AudioRecorder::sleepAt(int secondOfDay) {
    const DateTime now = program_.now();
    int seconds = secondOfDay - (now.hour * 3600 + now.minute * 60 + now.second);
    if (seconds <= 0)
        seconds += 24 * 3600;  // a time gone by today is tomorrow's
    sleep_.arm(program_.platform.clock.tickMs(), std::int64_t(seconds) * 1000);
    showSleep();
}

void AudioRecorder::cancelSleep() {
    sleep_.cancel();
    applyVolume();
    showSleep();
}

// The menu says when the radio stops; the timer runs only while the sleep timer is set.
void AudioRecorder::showSleep() {
    std::string caption = "定时停止播放";
    if (const auto deadline = sleep_.deadline()) {
        const std::int64_t left = sleep_.remainingMs(program_.platform.clock.tickMs());
        const DateTime at = program_.now().addSeconds((left + 999) / 1000);
        caption += "（" + std::to_string(at.hour) + ":" + twoDigits(at.minute) + " 停止）";
    }
    mnuSleep.setCaption(caption);
    mnuSleepOff.setEnabled(sleep_.armed());
    tmrSleep.setInterval(sleep_.armed() ? kSleepTickMs : 0);
}

void AudioRecorder::tmrSleep_Timer() {
    const std::int64_t now = program_.platform.clock.tickMs();
    if (!sleep_.due(now)) {
        if (sleep_.remainingMs(now) <= radio::SleepTimer::kFadeMs)
            applyVolume();
        return;
    }
    program_.platform.player.stop();
    cancelSleep();
}

bool AudioRecorder::appCommand(ui::AppCommand command, bool focused) {
    StationPlayer& player = program_.platform.player;
    const bool on =
        player.state() == PlayerState::Playing || player.state() == PlayerState::Connecting;
    switch (command) {
        case ui::AppCommand::PlayPause:
        case ui::AppCommand::Play:
            if (on && command == ui::AppCommand::PlayPause) {
                player.stop();
            } else if (!on) {
                if (!lastStation_.name.empty())
                    player.play(lastStation_);
                else
                    program_.portal.playNeighbour(1);
            }
            return true;
        case ui::AppCommand::Pause:
        case ui::AppCommand::Stop:
            player.stop();
            return true;
        case ui::AppCommand::NextTrack:
            return program_.portal.playNeighbour(1);
        case ui::AppCommand::PreviousTrack:
            return program_.portal.playNeighbour(-1);
        // The volume keys act on the program only while its window has the focus; behind
        // another window they stay the system's.
        case ui::AppCommand::VolumeUp:
            if (focused)
                setVolume(volume() + kVolumeStep);
            return focused;
        case ui::AppCommand::VolumeDown:
            if (focused)
                setVolume(volume() - kVolumeStep);
            return focused;
        case ui::AppCommand::VolumeMute:
            if (focused)
                cmdMute_Click();
            return focused;
    }
    return false;
}

}  // namespace sonorin
