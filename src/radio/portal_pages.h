// The pages of the portal the program serves: plain HTML in Chinese, no scripts and nothing
// loaded from elsewhere, so that the system browser control, any current browser and the
// program's own stand-in pane all show them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "radio/listening.h"
#include "radio/station_list.h"
#include "radio/station_player.h"

namespace sonorin::radio {

// One line of "RadioTime.ini".
struct PlanRow {
    std::string begin, end, station;
    bool operator==(const PlanRow&) const = default;
};

// The plan file's lines (code page 936, TAB-separated, CR LF): begin, end and station of each
// line that is not empty.
std::vector<PlanRow> readPlanRows(std::string_view gbkBytes);

struct NowPlaying {
    std::string station;  // empty: nothing plays
    PlayerState state = PlayerState::Stopped;
    std::string status;  // the player's own words
    std::string title;   // what the stream says it plays
};

std::string escapeHtml(std::string_view text);

// "/radio": what plays now, then one link per station, in the list's order, under a heading
// wherever the group changes; the station played or tried is marked as the current one. Links
// carry `token` and play through "/play". What plays is shown in a frame that keeps itself
// current (kNowPath); a reader without frames gets the same line in the page.
std::string stationPage(const std::vector<StationEntry>& stations, const std::string& token,
                        const NowPlaying& now);
// The station page's frame: what plays now, read again every second.
inline constexpr const char* kNowPath = "/radio/now";
std::string nowPage(const std::string& token, const NowPlaying& now);
// "/guangbo/": the listening plans as a table, and the stations that name their own sites.
std::string programmePage(const std::vector<PlanRow>& plans,
                          const std::vector<StationEntry>& stations);
// The title list's page and its actions (clearing it, searching the web for a title).
inline constexpr const char* kTitlesPath = "/radio/history";
inline constexpr const char* kClearTitlesPath = "/radio/history/clear";
inline constexpr const char* kSearchTitlePath = "/radio/search";
// The titles heard, newest first under a heading for each day ("今天" for `today`), each a
// link that searches the web for it; and a link that clears the list.
std::string titlesPage(const std::deque<HeardTitle>& titles, const std::string& token,
                       const DateTime& today);
// "/": links to both (and to the titles heard, with `titlesLink`), and how to add a station.
std::string homePage(bool titlesLink = false);

}  // namespace sonorin::radio
