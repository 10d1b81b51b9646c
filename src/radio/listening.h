// What the user listened to: the titles the stations announced (最近播放) and the stations
// played last, both kept across starts.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/datetime.h"
#include "radio/station_list.h"
#include "radio/station_player.h"
#include "services/clock.h"
#include "services/filesystem.h"

namespace sonorin::radio {

// The title list's file, beside the station list. Ours alone: one line per title, UTF-8.
inline constexpr const char* kTitleHistoryFileName = "\\最近播放.txt";

struct HeardTitle {
    DateTime at;
    std::string station;
    std::string title;
    bool operator==(const HeardTitle&) const = default;
};

// The file's lines: "yyyy-mm-dd hh:mm:ss", TAB, station, TAB, title, LF; oldest first. A line
// not of that form (damaged, or edited by hand) is left out and the others kept; of more than
// `limit` lines only the newest are kept.
std::deque<HeardTitle> readTitleHistory(std::string_view bytes, std::size_t limit);
std::string writeTitleHistory(const std::deque<HeardTitle>& titles);

class TitleHistory {
  public:
    static constexpr std::size_t kLimit = 500;

    explicit TitleHistory(FileSystem& files) : files_(files) {}

    // Reads the list kept in `folder`; a missing or unreadable file is an empty list.
    void load(const std::string& folder);
    // A station announced a title. Nothing happens when it is the last one again (a station
    // repeats its title with every change of status). Saved at once. True when it was added.
    bool note(const DateTime& at, const std::string& station, const std::string& title);
    void clear();
    const std::deque<HeardTitle>& titles() const { return titles_; }

    // Called after every change of the list.
    std::function<void()> onChanged;
    // Called, after onChanged, for each title added.
    std::function<void(const HeardTitle& heard)> onHeard;

  private:
    void save();

    FileSystem& files_;
    std::string folder_;
    std::deque<HeardTitle> titles_;
};

// The stations played last, newest first, as a playlist other players can open too.
inline constexpr const char* kRecentStationsFileName = "\\最近收听.m3u";

class RecentStations {
  public:
    static constexpr std::size_t kLimit = 5;

    explicit RecentStations(FileSystem& files) : files_(files) {}

    // Reads the list kept in `folder`; a missing file is an empty list, a longer one gives
    // its first five.
    void load(const std::string& folder);
    // A station started playing: it moves to the front. Saved when the list changed.
    void note(const Station& station);
    const std::vector<Station>& stations() const { return stations_; }

  private:
    FileSystem& files_;
    std::string folder_;
    std::vector<Station> stations_;
};

// Keeps both lists current with the player.
class Listening {
  public:
    Listening(StationPlayer& player, Clock& clock, FileSystem& files)
        : titles(files), recent(files), player_(player), clock_(clock) {}

    void load(const std::string& folder) {
        titles.load(folder);
        recent.load(folder);
    }
    // The player's state, status or title changed: a station that plays is a recent one, and
    // the title it announces is heard now.
    void playerChanged();
    DateTime now() { return clock_.now(); }

    TitleHistory titles;
    RecentStations recent;

  private:
    StationPlayer& player_;
    Clock& clock_;
};

// What to play for a station played before: the list's entry of that name, whose address may
// have been found or edited since, else the station as it was played.
Station playableStation(const Station& played, const std::vector<StationEntry>& list);

// Every byte but letters, digits and "-_.~" as "%XX", for a query value.
std::string percentEncode(std::string_view text);
// A web search for a title, to open in the user's browser.
std::string titleSearchAddress(std::string_view title);

}  // namespace sonorin::radio
