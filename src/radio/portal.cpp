#include "radio/portal.h"

#include <random>

#include "radio/portal_pages.h"

namespace sonorin::radio {
namespace {

constexpr const char* kPlanFileName = "\\RadioTime.ini";

enum class Framing { None, OwnPages };

// Written beside the file and moved over it, so a full disk or a crash half-way leaves the old
// list whole (the way the plan file is saved). A temporary that could not be finished is removed.
bool writeWhole(FileSystem& files, const std::string& path, const std::string& bytes) {
    const std::string temporary = path + ".tmp";
    if (files.writeFile(temporary, bytes) && files.replaceFile(temporary, path))
        return true;
    files.deleteFile(temporary);
    return false;
}

// Every answer: never cached (the station page shows what plays now and carries the run's
// token), never framed by a page elsewhere (only the station page frames what plays now),
// nothing loaded from anywhere but that frame, and no address of ours handed on to sites the
// pages link to.
void addCommonHeaders(HttpResponse& response, Framing framing = Framing::None) {
    const bool framed = framing == Framing::OwnPages;
    response.headers.emplace_back("Cache-Control", "no-store");
    response.headers.emplace_back("X-Content-Type-Options", "nosniff");
    response.headers.emplace_back("X-Frame-Options", framed ? "SAMEORIGIN" : "DENY");
    response.headers.emplace_back("Content-Security-Policy",
                                  std::string("default-src 'none'; style-src 'unsafe-inline'; "
                                              "frame-src 'self'; frame-ancestors ") +
                                      (framed ? "'self'" : "'none'"));
    response.headers.emplace_back("Referrer-Policy", "no-referrer");
}

}  // namespace

Portal::Portal(StationPlayer& player, FileSystem& files) : player_(player), files_(files) {}

void Portal::loadStations(const std::string& programFolder) {
    folder_ = programFolder;
    if (const auto bytes = files_.readFile(folder_ + kStationFileName)) {
        stations_ = readStationList(*bytes);
        return;
    }
    stations_ = defaultStationList();
    saveStations();
}

void Portal::saveStations() {
    if (!folder_.empty())
        writeWhole(files_, folder_ + kStationFileName, writeStationList(stations_));
}

void Portal::addressFound(const Station& found) {
    if (found.address.empty())
        return;
    for (StationEntry& s : stations_) {
        if (s.name == found.name && s.address.empty()) {
            s.address = found.address;
            keepAddress(found);
            return;
        }
    }
}

NowPlaying Portal::nowPlaying() const {
    return {player_.current().name, player_.state(), player_.statusText(), player_.nowPlaying()};
}

// Into the file as it is now (the user may have edited it since it was read), changing only
// that entry; a file that cannot take it is left alone, and the user is told.
void Portal::keepAddress(const Station& found) {
    if (folder_.empty())
        return;
    const std::string path = folder_ + kStationFileName;
    std::optional<std::string> bytes = files_.readFile(path);
    AddressWriteBack result = AddressWriteBack::CannotWrite;
    if (bytes) {
        result = addStationAddress(*bytes, found.name, found.address);
        if (result == AddressWriteBack::Written && !writeWhole(files_, path, *bytes))
            result = AddressWriteBack::CannotWrite;
    }
    if (result == AddressWriteBack::CannotWrite && onWarning) {
        onWarning("找到了电台“" + found.name +
                  "”的地址，但无法在保留 stations.m3u 原有内容的同时写入，文件未作改动。");
    }
}

HttpResponse Portal::page(std::string html, bool framed) const {
    HttpResponse response;
    response.headers.emplace_back("Content-Type", "text/html; charset=utf-8");
    addCommonHeaders(response, framed ? Framing::OwnPages : Framing::None);
    response.body = std::move(html);
    return response;
}

HttpResponse Portal::error(int status) const {
    HttpResponse response =
        page("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" +
             std::to_string(status) + "</title></head><body><p>" + std::to_string(status) + " " +
             reasonPhrase(status) + "</p></body></html>\n");
    response.status = status;
    return response;
}

bool Portal::tokenMatches(const HttpRequest& request) const {
    const auto given = queryValue(request.query(), "token");
    if (!given || token_.empty() || given->size() != token_.size())
        return false;
    // Compared in full whatever differs, so timing tells nothing about the token.
    unsigned char difference = 0;
    for (std::size_t i = 0; i < token_.size(); ++i)
        difference |= static_cast<unsigned char>((*given)[i] ^ token_[i]);
    return difference == 0;
}

HttpResponse Portal::play(const HttpRequest& request) {
    const auto number = queryValue(request.query(), "station");
    std::size_t index = stations_.size();
    if (number && !number->empty() && number->size() < 10 &&
        number->find_first_not_of("0123456789") == std::string::npos)
        index = std::stoul(*number);
    if (index >= stations_.size())
        return error(404);
    const StationEntry& s = stations_[index];
    player_.play({s.name, s.address});
    // No content: a browser stays on the page the link was clicked in.
    HttpResponse response;
    response.status = 204;
    addCommonHeaders(response);
    return response;
}

HttpResponse Portal::titleAction(const std::string& path, const HttpRequest& request) {
    if (path == kClearTitlesPath) {
        listening_->titles.clear();
    } else {
        const auto title = queryValue(request.query(), "title");
        if (!title || title->empty())
            return error(404);
        if (onOpenPage)
            onOpenPage(titleSearchAddress(*title));
    }
    HttpResponse response;
    response.status = 204;
    addCommonHeaders(response);
    return response;
}

HttpResponse Portal::handle(const HttpRequest& request) {
    const auto host = headerValue(request.headers, "Host");
    if (!host)
        return error(400);
    if (*host != "127.0.0.1:" + std::to_string(port_))
        return error(421);
    const std::string path = request.path();
    const bool read = request.method == "GET" || request.method == "HEAD";
    const bool titleActionPath =
        listening_ && (path == kClearTitlesPath || path == kSearchTitlePath);
    if (path == "/play" || path == "/stop" || titleActionPath) {
        // Acting on HEAD would let a mere check start a station.
        if (request.method != "GET") {
            HttpResponse response = error(405);
            response.headers.emplace_back("Allow", "GET");
            return response;
        }
        if (!tokenMatches(request))
            return error(403);
        if (path == "/play")
            return play(request);
        if (titleActionPath)
            return titleAction(path, request);
        player_.stop();
        HttpResponse response;
        response.status = 204;
        addCommonHeaders(response);
        return response;
    }
    const bool titles = listening_ && path == kTitlesPath;
    if (path != "/" && path != "/radio" && path != kNowPath && path != "/guangbo/" &&
        path != "/guangbo" && !titles)
        return error(404);
    if (!read) {
        HttpResponse response = error(405);
        response.headers.emplace_back("Allow", "GET, HEAD");
        return response;
    }
    if (path == "/")
        return page(homePage(listening_ != nullptr));
    if (path == "/radio")
        return page(stationPage(stations_, token_, nowPlaying()));
    if (path == kNowPath)
        return page(nowPage(token_, nowPlaying()), true);
    if (titles)
        return page(titlesPage(listening_->titles.titles(), token_, listening_->now()));
    if (path == "/guangbo") {
        HttpResponse response = error(301);
        response.headers.emplace_back("Location", "/guangbo/");
        return response;
    }
    std::vector<PlanRow> plans;
    if (!folder_.empty()) {
        if (const auto bytes = files_.readFile(folder_ + kPlanFileName))
            plans = readPlanRows(*bytes);
    }
    return page(programmePage(plans, stations_));
}

std::string Portal::respond(std::string_view head) {
    const auto request = parseRequest(head);
    if (!request)
        return error(400).serialize();
    return handle(*request).serialize(request->method != "HEAD");
}

std::string newPortalToken() {
    std::random_device random;
    static const char kHex[] = "0123456789abcdef";
    std::string token;
    for (int i = 0; i < 4; ++i) {
        unsigned int bits = random();
        for (int k = 0; k < 8; ++k) {
            token += kHex[bits & 15];
            bits >>= 4;
        }
    }
    return token;
}

bool Portal::playNeighbour(int step) {
    if (stations_.empty())
        return false;
    const long count = long(stations_.size());
    const std::string playing = player_.current().name;
    long at = step > 0 ? -1 : count;
    for (long i = 0; i < count && !playing.empty(); ++i)
        if (stations_[std::size_t(i)].name == playing)
            at = i;
    const StationEntry& s = stations_[std::size_t(((at + step) % count + count) % count)];
    player_.play({s.name, s.address});
    return true;
}

bool Portal::lists(std::string_view name) const {
    for (const StationEntry& entry : stations_)
        if (entry.name.find(name) != std::string::npos)
            return true;
    return false;
}

}  // namespace sonorin::radio
