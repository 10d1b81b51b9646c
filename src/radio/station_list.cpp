#include "radio/station_list.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "base/ascii.h"
#include "base/text.h"
#include "radio/builtin_stations.h"

namespace sonorin::radio {
namespace {

bool isValidUtf8(std::string_view bytes) {
    return utf16ToUtf8(utf8ToUtf16(bytes)) == bytes;
}

// Control characters would break the one-line format and the pages: they become blanks.
std::string clean(std::string_view s) {
    std::string out(ascii::trim(s));
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    }
    return out;
}

// "scheme://rest" with a scheme of letters, digits, "+", "-", "." and no blanks anywhere.
bool isAddress(std::string_view s) {
    const auto colon = s.find("://");
    if (colon == std::string_view::npos || colon == 0 || colon + 3 >= s.size())
        return false;
    for (std::size_t i = 0; i < colon; ++i) {
        const char c = s[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        if (!letter && !(i > 0 && other))
            return false;
    }
    for (char c : s) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F)
            return false;
    }
    return true;
}

struct Info {
    std::string name, group, website;
};

// "<duration> key="value" key2=value2,<name>". False when there is no comma after the
// attributes: such a line names nothing.
bool parseExtinf(std::string_view rest, Info& info) {
    std::size_t i = 0;
    while (i < rest.size() && rest[i] != ',' && !ascii::isSpace(rest[i]))
        ++i;  // the duration, which nothing here needs
    while (i < rest.size() && rest[i] != ',') {
        while (i < rest.size() && ascii::isSpace(rest[i]))
            ++i;
        const std::size_t keyStart = i;
        while (i < rest.size() && rest[i] != '=' && rest[i] != ',' && !ascii::isSpace(rest[i]))
            ++i;
        const std::string_view key = rest.substr(keyStart, i - keyStart);
        std::string_view value;
        if (i < rest.size() && rest[i] == '=') {
            ++i;
            if (i < rest.size() && rest[i] == '"') {
                const std::size_t end = rest.find('"', i + 1);
                if (end == std::string_view::npos)
                    return false;
                value = rest.substr(i + 1, end - i - 1);
                i = end + 1;
            } else {
                const std::size_t valueStart = i;
                while (i < rest.size() && rest[i] != ',' && !ascii::isSpace(rest[i]))
                    ++i;
                value = rest.substr(valueStart, i - valueStart);
            }
        }
        if (key == "group-title")
            info.group = clean(value);
        else if (key == "website")
            info.website = clean(value);
    }
    if (i >= rest.size())
        return false;
    info.name = clean(rest.substr(i + 1));
    return true;
}

// Attribute values are written in double quotes, which they therefore cannot hold.
std::string attributeValue(const std::string& s) {
    std::string out = clean(s);
    out.erase(std::remove(out.begin(), out.end(), '"'), out.end());
    return out;
}

}  // namespace

std::vector<StationEntry> readStationList(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    std::string converted;
    if (!isValidUtf8(bytes)) {
        converted = gbkToUtf8(bytes);
        bytes = converted;
    }

    std::vector<StationEntry> stations;
    bool pending = false;  // an "#EXTINF" waits for its address
    Info info;
    std::string nextGroup;
    auto finishPending = [&] {
        if (pending && !info.name.empty())
            stations.push_back({info.name, {}, info.group, info.website});
        pending = false;
    };

    std::size_t start = 0;
    while (start <= bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos)
            end = bytes.size();
        const std::string_view line = ascii::trim(bytes.substr(start, end - start));
        start = end + 1;
        if (line.empty())
            continue;
        if (line.front() == '#') {
            if (ascii::startsWithNoCase(line, "#EXTINF:")) {
                finishPending();
                info = {};
                pending = parseExtinf(line.substr(8), info);
                if (pending && info.group.empty())
                    info.group = nextGroup;
                nextGroup.clear();
            } else if (ascii::startsWithNoCase(line, "#EXTGRP:")) {
                if (pending && info.group.empty())
                    info.group = clean(line.substr(8));
                else
                    nextGroup = clean(line.substr(8));
            }
            continue;  // "#EXTM3U", comments and directives of other players
        }
        if (!isAddress(line))
            continue;
        if (pending) {
            // An entry named by nothing but blanks takes its address as its name.
            stations.push_back({info.name.empty() ? std::string(line) : info.name,
                                std::string(line), info.group, info.website});
            pending = false;
        } else {
            stations.push_back({std::string(line), std::string(line), nextGroup, {}});
            nextGroup.clear();
        }
    }
    finishPending();
    return stations;
}

std::string writeStationList(const std::vector<StationEntry>& stations) {
    std::string out = "#EXTM3U\r\n";
    for (const StationEntry& s : stations) {
        const std::string name = clean(s.name);
        if (name.empty())
            continue;
        out += "#EXTINF:-1";
        if (!s.group.empty())
            out += " group-title=\"" + attributeValue(s.group) + "\"";
        if (!s.website.empty())
            out += " website=\"" + attributeValue(s.website) + "\"";
        out += "," + name + "\r\n";
        const std::string address = clean(s.address);
        if (isAddress(address))
            out += address + "\r\n";
    }
    return out;
}

std::vector<StationEntry> defaultStationList() {
    // The plan window's stations, then the plan editor's; groups follow the runs of the list
    // so that the station page keeps its order.
    std::vector<StationEntry> stations;
    auto add = [&stations](std::string_view name, std::string_view group) {
        const bool known = std::any_of(stations.begin(), stations.end(),
                                       [&](const StationEntry& s) { return s.name == name; });
        if (!known)
            stations.push_back({std::string(name), {}, std::string(group), {}});
    };
    for (const BuiltinStation& station : kPlanWindowStations)
        add(station.name, station.group);
    for (std::string_view name : kPlanEditorStations)
        add(name, kPlanEditorGroup);
    return stations;
}

}  // namespace sonorin::radio
