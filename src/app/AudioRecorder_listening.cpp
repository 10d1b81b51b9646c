// What the user listened to, from the main window: the title list (最近播放) and the tray
// menu's entries for the station playing now and the stations played last.
#include <array>
#include <string>

#include "app/AudioRecorder.h"
#include "app/frmZuijinBofang.h"
#include "app/program.h"
#include "base/text.h"

namespace sonorin {
namespace {

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
    const std::array<ui::MenuItem*, 5> recent{&mnuTrayRecent1, &mnuTrayRecent2, &mnuTrayRecent3,
                                              &mnuTrayRecent4, &mnuTrayRecent5};
    for (std::size_t i = 0; i < recent.size(); ++i)
        recent[i]->onClick = [this, i] { playRecentStation(i); };
    showListening();
}

void AudioRecorder::showListening() {
    const StationPlayer& player = program_.platform.player;
    const std::string playing = player.current().name;
    mnuTrayNowPlaying.setCaption("正在播放：" + menuText(playing));
    for (ui::MenuItem* item : {&mnuTrayNowPlaying, &mnuTrayStop, &lineTrayNow})
        item->setVisible(!playing.empty());
    const std::vector<Station>& stations = program_.listening.recent.stations();
    const std::array<ui::MenuItem*, 5> recent{&mnuTrayRecent1, &mnuTrayRecent2, &mnuTrayRecent3,
                                              &mnuTrayRecent4, &mnuTrayRecent5};
    for (std::size_t i = 0; i < recent.size(); ++i) {
        recent[i]->setVisible(i < stations.size());
        recent[i]->setCaption(i < stations.size() ? menuText(stations[i].name) : "");
    }
    lineTrayRecent.setVisible(!stations.empty());
}

void AudioRecorder::playRecentStation(std::size_t index) {
    const std::vector<Station>& stations = program_.listening.recent.stations();
    if (index >= stations.size())
        return;
    program_.platform.player.play(
        radio::playableStation(stations[index], program_.portal.stations()));
}

}  // namespace sonorin
