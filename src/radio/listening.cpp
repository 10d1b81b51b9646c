#include "radio/listening.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

#include "base/text.h"

namespace sonorin::radio {
namespace {

// A station's title is a line of text; anything longer is not a title but damage.
constexpr std::size_t kMaxTextUnits = 400;
// What a full list can take (500 lines of long titles) with room to spare; a bigger file is
// read only this far.
constexpr std::uint64_t kMaxFileBytes = 4u << 20;
constexpr std::uint64_t kMaxRecentFileBytes = 64u << 10;
constexpr std::size_t kStampSize = 19;  // "yyyy-mm-dd hh:mm:ss"

// One line of plain text: well-formed UTF-8, no control characters (a TAB or line break would
// break the file's lines), blanks trimmed, bounded.
std::string plainLine(std::string_view text) {
    std::u16string units = utf8ToUtf16(text);
    for (char16_t& u : units) {
        if (u < 0x20 || u == 0x7F)
            u = u' ';
    }
    if (units.size() > kMaxTextUnits) {
        std::size_t cut = kMaxTextUnits;
        if (units[cut - 1] >= 0xD800 && units[cut - 1] <= 0xDBFF)
            --cut;  // not half a character
        units.resize(cut);
    }
    const std::size_t first = units.find_first_not_of(u' ');
    if (first == std::u16string::npos)
        return {};
    const std::size_t last = units.find_last_not_of(u' ');
    return utf16ToUtf8(units.substr(first, last - first + 1));
}

std::string stamp(const DateTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

bool digitsAt(std::string_view s, std::size_t pos, std::size_t count, int& value) {
    value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        value = value * 10 + (s[i] - '0');
    }
    return true;
}

std::optional<DateTime> parseStamp(std::string_view s) {
    if (s.size() != kStampSize || s[4] != '-' || s[7] != '-' || s[10] != ' ' || s[13] != ':' ||
        s[16] != ':')
        return std::nullopt;
    DateTime t;
    if (!digitsAt(s, 0, 4, t.year) || !digitsAt(s, 5, 2, t.month) || !digitsAt(s, 8, 2, t.day) ||
        !digitsAt(s, 11, 2, t.hour) || !digitsAt(s, 14, 2, t.minute) ||
        !digitsAt(s, 17, 2, t.second) || !t.isValid())
        return std::nullopt;
    return t;
}

std::optional<HeardTitle> parseLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);  // edited in Notepad
    const std::size_t tab1 = line.find('\t');
    if (tab1 == std::string_view::npos)
        return std::nullopt;
    const std::size_t tab2 = line.find('\t', tab1 + 1);
    if (tab2 == std::string_view::npos || line.find('\t', tab2 + 1) != std::string_view::npos)
        return std::nullopt;
    const auto at = parseStamp(line.substr(0, tab1));
    const std::string_view station = line.substr(tab1 + 1, tab2 - tab1 - 1);
    const std::string_view title = line.substr(tab2 + 1);
    if (!at || station.empty() || title.empty() || plainLine(station) != station ||
        plainLine(title) != title)
        return std::nullopt;
    return HeardTitle{*at, std::string(station), std::string(title)};
}

// Written beside the file and moved over it, so a crash half-way leaves the old list whole.
void writeWhole(FileSystem& files, const std::string& path, const std::string& bytes) {
    const std::string temporary = path + ".tmp";
    if (!files.writeFile(temporary, bytes) || !files.replaceFile(temporary, path))
        files.deleteFile(temporary);
}

}  // namespace

std::deque<HeardTitle> readTitleHistory(std::string_view bytes, std::size_t limit) {
    std::deque<HeardTitle> titles;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos)
            end = bytes.size();
        // A line that is not a title (damaged, or edited by hand) is left out; the lines after
        // it are kept, and so is every line the next save writes.
        if (const auto title = parseLine(bytes.substr(start, end - start))) {
            titles.push_back(*title);
            if (titles.size() > limit)
                titles.pop_front();
        }
        start = end + 1;
    }
    return titles;
}

std::string writeTitleHistory(const std::deque<HeardTitle>& titles) {
    std::string bytes;
    for (const HeardTitle& t : titles)
        bytes += stamp(t.at) + "\t" + t.station + "\t" + t.title + "\n";
    return bytes;
}

void TitleHistory::load(const std::string& folder) {
    folder_ = folder;
    titles_.clear();
    const std::string path = folder_ + kTitleHistoryFileName;
    const auto size = files_.fileSize(path);
    if (!size)
        return;
    std::optional<std::string> bytes;
    if (*size <= kMaxFileBytes) {
        bytes = files_.readFile(path);
    } else if (std::unique_ptr<StreamFile> file = files_.openStream(path)) {
        bytes = file->readAt(0, kMaxFileBytes);
        // The last line read is cut short.
        if (bytes)
            bytes->erase(bytes->rfind('\n') == std::string::npos ? 0 : bytes->rfind('\n') + 1);
    }
    if (bytes)
        titles_ = readTitleHistory(*bytes, kLimit);
}

bool TitleHistory::note(const DateTime& at, const std::string& station, const std::string& title) {
    HeardTitle heard{at, plainLine(station), plainLine(title)};
    if (heard.station.empty() || heard.title.empty())
        return false;
    if (!titles_.empty() && titles_.back().station == heard.station &&
        titles_.back().title == heard.title)
        return false;
    titles_.push_back(std::move(heard));
    while (titles_.size() > kLimit)
        titles_.pop_front();
    save();
    if (onChanged)
        onChanged();
    if (onHeard)
        onHeard(titles_.back());
    return true;
}

void TitleHistory::clear() {
    if (titles_.empty())
        return;
    titles_.clear();
    save();
    if (onChanged)
        onChanged();
}

// A list that cannot be written stays in memory; the next change tries again.
void TitleHistory::save() {
    if (!folder_.empty())
        writeWhole(files_, folder_ + kTitleHistoryFileName, writeTitleHistory(titles_));
}

void RecentStations::load(const std::string& folder) {
    folder_ = folder;
    stations_.clear();
    const std::string path = folder_ + kRecentStationsFileName;
    // A handful of lines; anything much bigger is not our list.
    const auto size = files_.fileSize(path);
    if (!size || *size > kMaxRecentFileBytes)
        return;
    if (const auto bytes = files_.readFile(path)) {
        for (const StationEntry& entry : readStationList(*bytes)) {
            if (stations_.size() == kLimit)
                break;
            const Station s{plainLine(entry.name), plainLine(entry.address)};
            if (!s.name.empty())
                stations_.push_back(s);
        }
    }
}

void RecentStations::note(const Station& played) {
    Station station{plainLine(played.name), plainLine(played.address)};
    if (station.name.empty())
        return;
    std::vector<Station> list{station};
    for (const Station& s : stations_) {
        if (s.name != station.name && list.size() < kLimit)
            list.push_back(s);
    }
    const bool same = list.size() == stations_.size() &&
                      std::equal(list.begin(), list.end(), stations_.begin(),
                                 [](const Station& a, const Station& b) {
                                     return a.name == b.name && a.address == b.address;
                                 });
    if (same)
        return;
    stations_ = std::move(list);
    if (folder_.empty())
        return;
    std::vector<StationEntry> entries;
    for (const Station& s : stations_)
        entries.push_back({s.name, s.address, "", ""});
    writeWhole(files_, folder_ + kRecentStationsFileName, writeStationList(entries));
}

void Listening::playerChanged() {
    if (player_.state() != PlayerState::Playing)
        return;
    const Station station = player_.current();
    recent.note(station);
    const std::string title = player_.nowPlaying();
    if (!title.empty())
        titles.note(clock_.now(), station.name, title);
}

Station playableStation(const Station& played, const std::vector<StationEntry>& list) {
    for (const StationEntry& entry : list) {
        if (entry.name == played.name)
            return {entry.name, entry.address.empty() ? played.address : entry.address};
    }
    return played;
}

std::string percentEncode(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '_' || c == '.' || c == '~') {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 15];
        }
    }
    return encoded;
}

std::string titleSearchAddress(std::string_view title) {
    return "https://www.baidu.com/s?wd=" + percentEncode(title);
}

}  // namespace sonorin::radio
