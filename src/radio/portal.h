// The radio portal the program serves itself on 127.0.0.1: the station page, the programme
// page and the home page, and the play and stop requests their links send. Requests arrive on
// the user-interface thread; playing goes through the station player.
//
// Only GET and HEAD of the pages are answered, and only when the Host header names our own
// address and port (a page elsewhere cannot reach us through a name of its own). Play and stop
// requests must carry the token of this run, which only our own station page shows.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "radio/http.h"
#include "radio/listening.h"
#include "radio/portal_pages.h"
#include "radio/station_list.h"
#include "radio/station_player.h"
#include "services/filesystem.h"

namespace sonorin::radio {

class Portal {
  public:
    Portal(StationPlayer& player, FileSystem& files);

    // The folder that holds "stations.m3u" and "RadioTime.ini"; reads the station list, and
    // writes the default one when the file is missing.
    void loadStations(const std::string& programFolder);
    const std::vector<StationEntry>& stations() const { return stations_; }
    // A station whose name holds `name`, as a plan's click on the station page finds it.
    bool lists(std::string_view name) const;
    // Plays the station after (step 1) or before (step -1) the one playing or tried, in the
    // list's order and round its ends; with none, the first or the last. False when the list
    // is empty.
    bool playNeighbour(int step);

    void setPort(int port) { port_ = port; }
    int port() const { return port_; }
    void setToken(std::string token) { token_ = std::move(token); }
    const std::string& token() const { return token_; }

    HttpResponse handle(const HttpRequest& request);
    // A whole request head in, a whole response out (what the loopback server calls).
    std::string respond(std::string_view head);

    // The player found a station without an address in its directory: keep the address.
    void addressFound(const Station& found);
    // The titles heard and the stations played last; the pages show them once set.
    void setListening(Listening* listening) { listening_ = listening; }
    // A page to open in the user's own browser (a search for a title heard).
    std::function<void(const std::string& address)> onOpenPage;
    // Something the user should know that no page shows (a station list that could not be
    // updated).
    std::function<void(const std::string& text)> onWarning;

  private:
    // `framed`: a page our own pages show in a frame.
    HttpResponse page(std::string html, bool framed = false) const;
    NowPlaying nowPlaying() const;
    HttpResponse error(int status) const;
    HttpResponse play(const HttpRequest& request);
    // The token-guarded requests of the title list: clearing it and searching for a title.
    HttpResponse titleAction(const std::string& path, const HttpRequest& request);
    bool tokenMatches(const HttpRequest& request) const;
    void saveStations();
    void keepAddress(const Station& found);

    StationPlayer& player_;
    FileSystem& files_;
    std::string folder_;
    std::vector<StationEntry> stations_;
    int port_ = 0;
    std::string token_;
    Listening* listening_ = nullptr;
};

// A fresh token for one run: 32 hexadecimal digits from the system's random source.
std::string newPortalToken();

}  // namespace sonorin::radio
