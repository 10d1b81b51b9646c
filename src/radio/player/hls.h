// HLS stations: a playlist of short segments that grows as the broadcast goes on (a media
// playlist), often behind a master playlist that offers the programme at several rates. The
// segments are MPEG transport streams or "packed audio" (ADTS AAC or MP3 behind an ID3 tag).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "radio/player/frames.h"

namespace sonorin::radio {

struct HlsVariant {
    std::string url;
    long long bandwidth = 0;
    std::string codecs;  // as the list states them, e.g. "mp4a.40.2"; may be empty
    std::string audioGroup;
};

struct HlsSegment {
    std::string url;
    std::int64_t sequence = 0;
    double seconds = 0;
    bool discontinuity = false;  // the encoding may change from here on
};

struct HlsPlaylist {
    // A master playlist: the variants, and per audio group the address of its audio-only
    // rendition (the default one where the group names one).
    std::vector<HlsVariant> variants;
    std::vector<std::pair<std::string, std::string>> audioRenditions;
    // A media playlist.
    std::vector<HlsSegment> segments;
    double targetSeconds = 0;
    bool ended = false;          // no more segments will come (a recording, not a broadcast)
    bool encrypted = false;      // segments behind a key
    bool unsupportedSegments = false;  // fMP4 segments, or byte ranges of one file
};

// Entries are resolved against `baseUrl`; those that are not http(s) addresses are left out.
HlsPlaylist parseHlsPlaylist(std::string_view bytes, std::string_view baseUrl);

// The media playlists of a master playlist in the order a listener would want them: audio-only
// variants first, the richest up to 192 kbit/s, then the richer ones from the leanest up; then
// the other variants from the leanest up (only their audio is played, but all of it is
// fetched). A variant with an audio-only rendition of its own is played from that.
std::vector<std::string> hlsMediaChoices(const HlsPlaylist& master);

// The index of the first segment to play of a live list: three from the end, as players do,
// so that the next segment is there before this one has played out.
std::size_t hlsLiveStart(const HlsPlaylist& media);

enum class SegmentKind { Unknown, TransportStream, Aac, Mp3 };
// What a segment holds, from its first bytes (at least 188 when it is that long).
SegmentKind detectSegmentKind(std::span<const std::uint8_t> head);
// The length of the ID3v2 tags at the start of `bytes` (packed audio carries its timestamp in
// one); 0 when there is none, or when it runs past the end of `bytes`.
std::size_t id3TagsLength(std::span<const std::uint8_t> bytes);

// The audio of an MPEG transport stream: the first MPEG audio or ADTS AAC stream its program
// map names, as the bytes of that elementary stream. Bytes come in pieces of any size; a lost
// packet boundary is found again.
class TsAudio {
  public:
    // Appends the audio bytes `bytes` hold to `out`.
    void push(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& out);
    // Known once the program map has been read.
    std::optional<Codec> codec() const { return codec_; }
    // The map names audio, but none that can be played (AAC in LATM, AC-3, …).
    bool onlyUnplayableAudio() const { return unplayable_ && !codec_; }

  private:
    void packet(const std::uint8_t* p, std::vector<std::uint8_t>& out);
    void programAssociation(std::span<const std::uint8_t> section);
    void programMap(std::span<const std::uint8_t> section);

    std::vector<std::uint8_t> carry_;  // the start of a packet cut off by the last push
    int mapPid_ = -1;
    int audioPid_ = -1;
    std::optional<Codec> codec_;
    bool unplayable_ = false;
};

}  // namespace sonorin::radio
