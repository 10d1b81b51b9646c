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

namespace {

// Reads the list as readStationList() describes. For each station without an address,
// `insertAt` (when given) receives where in `bytes` its address line would go: just after its
// "#EXTINF" line; npos for the others.
std::vector<StationEntry> scanStationList(std::string_view bytes,
                                          std::vector<std::size_t>* insertAt) {
    std::size_t start = bytes.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    // Lines are split in the file's own bytes (no GBK byte is a line feed), so that positions
    // stay those of the file.
    const bool gbk = !isValidUtf8(bytes.substr(start));

    std::vector<StationEntry> stations;
    bool pending = false;  // an "#EXTINF" waits for its address
    std::size_t pendingAt = std::string_view::npos;
    Info info;
    std::string nextGroup;
    auto add = [&](StationEntry entry, std::size_t at) {
        stations.push_back(std::move(entry));
        if (insertAt)
            insertAt->push_back(at);
    };
    auto finishPending = [&] {
        if (pending && !info.name.empty())
            add({info.name, {}, info.group, info.website}, pendingAt);
        pending = false;
    };

    std::string converted;
    while (start <= bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? bytes.size() + 1 : end + 1;
        if (end == std::string_view::npos)
            end = bytes.size();
        std::string_view raw = bytes.substr(start, end - start);
        start = next;
        if (gbk) {
            converted = gbkToUtf8(raw);
            raw = converted;
        }
        const std::string_view line = ascii::trim(raw);
        if (line.empty())
            continue;
        if (line.front() == '#') {
            if (ascii::startsWithNoCase(line, "#EXTINF:")) {
                finishPending();
                info = {};
                pending = parseExtinf(line.substr(8), info);
                pendingAt = std::min(next, bytes.size());
                if (pending && info.group.empty())
                    info.group = nextGroup;
                nextGroup.clear();
            } else if (ascii::startsWithNoCase(line, "#EXTGRP:")) {
                if (pending && info.group.empty()) {
                    info.group = clean(line.substr(8));
                    // The group belongs to the entry: its address goes after it.
                    if (pendingAt != std::string_view::npos)
                        pendingAt = std::min(next, bytes.size());
                } else
                    nextGroup = clean(line.substr(8));
            }
            continue;  // "#EXTM3U", comments and directives of other players
        }
        if (!isAddress(line)) {
            // A location of its own that is not played here (a local file, a relative path):
            // the entry is read as one without address, but nothing is added to it.
            if (pending)
                pendingAt = std::string_view::npos;
            continue;
        }
        if (pending) {
            // An entry named by nothing but blanks takes its address as its name.
            add({info.name.empty() ? std::string(line) : info.name, std::string(line), info.group,
                 info.website},
                std::string_view::npos);
            pending = false;
        } else {
            add({std::string(line), std::string(line), nextGroup, {}}, std::string_view::npos);
            nextGroup.clear();
        }
    }
    finishPending();
    return stations;
}

}  // namespace

std::vector<StationEntry> readStationList(std::string_view bytes) {
    return scanStationList(bytes, nullptr);
}

AddressWriteBack addStationAddress(std::string& bytes, std::string_view name,
                                   std::string_view address) {
    std::vector<std::size_t> insertAt;
    const std::vector<StationEntry> stations = scanStationList(bytes, &insertAt);
    // The station the player was given: the first of that name without an address.
    std::size_t i = 0;
    while (i < stations.size() && (stations[i].name != name || !stations[i].address.empty()))
        ++i;
    if (i == stations.size() || insertAt[i] == std::string_view::npos)
        return AddressWriteBack::NoEntry;
    if (!isAddress(address))
        return AddressWriteBack::CannotWrite;
    const std::size_t from = bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    std::string line(address);
    if (!isValidUtf8(std::string_view(bytes).substr(from))) {
        line = utf8ToGbk(address);
        if (gbkToUtf8(line) != address)
            return AddressWriteBack::CannotWrite;  // the file's code page cannot hold it
    }
    const std::size_t at = insertAt[i];
    std::string ending;
    if (at > 0 && bytes[at - 1] == '\n') {
        // The line ending of the "#EXTINF" line it follows.
        line += at > 1 && bytes[at - 2] == '\r' ? "\r\n" : "\n";
    } else {
        // The "#EXTINF" was the last line, without an ending: the file stays without one.
        const std::size_t lf = bytes.find('\n');
        line.insert(0,
                    lf != std::string::npos && (lf == 0 || bytes[lf - 1] != '\r') ? "\n" : "\r\n");
    }
    bytes.insert(at, line);
    return AddressWriteBack::Written;
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
