// What the user listened to, from the main window: the title list (最近播放) and the tray
// menu's entries for the station playing now and the stations played last.
#include <array>
#include <string>

#include "app/AudioRecorder.h"
#include "app/frmZuijinBofang.h"
#include "app/program.h"
#include "base/text.h"
#include "recorder/settings.h"

namespace sonorin {
namespace {

constexpr const char* kListeningSection = "Listening";
constexpr const char* kTitleNoticeKey = "TitleNotice";

// A menu shows "&" as the underline of the next letter; a station's name means the character.
std::string menuText(const std::string& text) {
    return replaceAll(text, "&", "&&");
}

}  // namespace

void AudioRecorder::wireListening() {
    mnuZuijinBofang.onClick = [this] { program_.form<frmZuijinBofang>().show(); };
    mnuTrayTitles.onClick = [this] { program_.form<frmZuijinBofang>().show(); };
    mnuTrayNowPlaying.onClick = [this] { mnu_traymaxmized_Click(); };
    mnuTrayStop.onClick = [this] { Command3_Click(); };
    mnuTrayTitleNotice.onClick = [this] { mnuTrayTitleNotice_Click(); };
    // The setting is read when the menu first opens, not at start-up.
    mnuTray.onOpening = [this] {
        mnuTrayTitleNotice.setCaption(titleNoticeOn() ? "歌名通知：开" : "歌名通知：关");
    };
    const auto recent = recentEntries();
    for (std::size_t i = 0; i < recent.size(); ++i)
        recent[i]->onClick = [this, i] { playRecentStation(i); };
    showListening();
}

void AudioRecorder::showListening() {
    const StationPlayer& player = program_.platform.player;
    const std::string playing = player.current().name;
    const PlayerState state = player.state();
    mnuTrayNowPlaying.setCaption(std::string(state == PlayerState::Playing  ? "正在播放："
                                             : state == PlayerState::Failed ? "未能收听："
                                                                            : "正在连接：") +
                                 menuText(playing));
    for (ui::MenuItem* item : {&mnuTrayNowPlaying, &mnuTrayStop, &lineTrayNow})
        item->setVisible(!playing.empty());
    const std::vector<Station>& stations = program_.listening.recent.stations();
    const auto recent = recentEntries();
    for (std::size_t i = 0; i < recent.size(); ++i) {
        recent[i]->setVisible(i < stations.size());
        recent[i]->setCaption(i < stations.size() ? menuText(stations[i].name) : "");
    }
    lineTrayRecent.setVisible(!stations.empty());
}

std::array<ui::MenuItem*, 5> AudioRecorder::recentEntries() {
    return {&mnuTrayRecent1, &mnuTrayRecent2, &mnuTrayRecent3, &mnuTrayRecent4, &mnuTrayRecent5};
}

bool AudioRecorder::titleNoticeOn() {
    if (!titleNotice_)
        titleNotice_ = program_.platform.settings.getSetting(kSettingsApp, kListeningSection,
                                                             kTitleNoticeKey, "0") == "1";
    return *titleNotice_;
}

void AudioRecorder::mnuTrayTitleNotice_Click() {
    titleNotice_ = !titleNoticeOn();
    program_.platform.settings.saveSetting(kSettingsApp, kListeningSection, kTitleNoticeKey,
                                           *titleNotice_ ? "1" : "0");
}

void AudioRecorder::titleHeard(const radio::HeardTitle& heard) {
    // Only the icon in the tray can show it; a window on the screen shows the title itself.
    if (titleNoticeOn() && program_.module1.mainInTray())
        program_.platform.tray.showNotice(*this, heard.station, heard.title);
}

void AudioRecorder::playRecentStation(std::size_t index) {
    const std::vector<Station>& stations = program_.listening.recent.stations();
    if (index >= stations.size())
        return;
    program_.platform.player.play(
        radio::playableStation(stations[index], program_.portal.stations()));
}

}  // namespace sonorin
