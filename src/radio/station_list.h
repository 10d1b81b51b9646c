// The station list, "stations.m3u" beside the program: extended M3U in UTF-8, the format other
// players import and export.
//
//   #EXTM3U
//   #EXTINF:-1 group-title="新闻资讯",中文环球
//   http://example.net/stream.mp3
//
// An entry whose "#EXTINF" line is not followed by an address has none; the player then finds
// the station by its name in its directory. Reading never fails: lines it cannot use are skipped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sonorin::radio {

inline constexpr const char* kStationFileName = "\\stations.m3u";

struct StationEntry {
    std::string name;
    // Stream or playlist address; empty: found by name.
    std::string address;
    // Heading the station stands under on the station page; empty: none.
    std::string group;
    // The station's own web site, shown on the programme page; empty: none.
    std::string website;

    bool operator==(const StationEntry&) const = default;
};

// Reads the bytes of an M3U file. A file that is not valid UTF-8 is read as code page 936, as
// written by editors that save in the system's ANSI code page; a leading BOM is ignored.
// Recognised: "#EXTINF:<duration> [key="value" ...],<name>" with the attributes group-title and
// website, "#EXTGRP:<group>" before an entry, and address lines with or without "#EXTINF".
// Other "#" lines are comments; lines that are not a usable address are skipped.
std::vector<StationEntry> readStationList(std::string_view bytes);

// Gives `address` to the first station named `name` in the file's `bytes` without one: one
// address line added after its "#EXTINF" line, ending as that line ends; every other byte stays
// as it was (byte-order mark, comments, other players' lines and attributes, entries not read).
// An entry with a location of its own that is not played here (a local file, a relative path)
// gets none (NoEntry). `bytes` changes only when the result is Written; CannotWrite: the address
// cannot be written into the file as it is (not a usable address, or characters its code page
// lacks).
enum class AddressWriteBack { Written, NoEntry, CannotWrite };
AddressWriteBack addStationAddress(std::string& bytes, std::string_view name,
                                   std::string_view address);

// The file's bytes: "#EXTM3U", then each entry; CR LF line ends, no BOM.
std::string writeStationList(const std::vector<StationEntry>& stations);

// The list written when the file is missing: the plan window's stations and then the plan
// editor's, each name once, in that order, none with an address.
std::vector<StationEntry> defaultStationList();

}  // namespace sonorin::radio
