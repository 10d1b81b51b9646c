#include "radio/player/hls.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "base/ascii.h"
#include "radio/url.h"

namespace sonorin::radio {

namespace {

constexpr std::size_t kPacket = 188;
constexpr std::uint8_t kSync = 0x47;

bool isWebAddress(std::string_view url) {
    return ascii::startsWithNoCase(url, "http://") || ascii::startsWithNoCase(url, "https://");
}

// The value of KEY in an attribute list: KEY=VALUE,KEY="VALUE, with commas",…
std::string attribute(std::string_view list, std::string_view key) {
    while (!list.empty()) {
        const std::size_t equals = list.find('=');
        if (equals == std::string_view::npos)
            break;
        const std::string_view name = ascii::trim(list.substr(0, equals));
        list.remove_prefix(equals + 1);
        std::string_view value;
        if (list.starts_with('"')) {
            const std::size_t close = list.find('"', 1);
            value = list.substr(1, close == std::string_view::npos ? list.npos : close - 1);
            list.remove_prefix(close == std::string_view::npos ? list.size() : close + 1);
            const std::size_t comma = list.find(',');
            list.remove_prefix(comma == std::string_view::npos ? list.size() : comma + 1);
        } else {
            const std::size_t comma = list.find(',');
            value = ascii::trim(list.substr(0, comma));
            list.remove_prefix(comma == std::string_view::npos ? list.size() : comma + 1);
        }
        if (ascii::equalsNoCase(name, key))
            return std::string(value);
    }
    return {};
}

template <typename Number>
Number number(std::string_view text, Number fallback) {
    text = ascii::trim(text);
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() ? value : fallback;
}

double seconds(std::string_view text) {
    // "10.000" or "10": from_chars of double is not in every library this is built with.
    const std::size_t dot = text.find('.');
    double whole = double(number<long long>(text.substr(0, dot), 0));
    if (dot != std::string_view::npos) {
        double scale = 0.1;
        for (char c : text.substr(dot + 1)) {
            if (c < '0' || c > '9')
                break;
            whole += (c - '0') * scale;
            scale /= 10;
        }
    }
    return whole < 0 ? 0 : whole;
}

// Codecs the player can decode: AAC (LC, HE, HE v2) and MPEG audio.
bool playableAudio(std::string_view codec) {
    codec = ascii::trim(codec);
    static constexpr std::string_view kPlayable[] = {"mp4a.40.2",  "mp4a.40.5", "mp4a.40.29",
                                                     "mp4a.40.34", "mp4a.69",   "mp4a.6b"};
    return std::any_of(std::begin(kPlayable), std::end(kPlayable),
                       [&](std::string_view c) { return ascii::equalsNoCase(codec, c); });
}

bool isAudioCodec(std::string_view codec) {
    codec = ascii::trim(codec);
    static constexpr std::string_view kAudio[] = {"mp4a", "ac-3", "ec-3", "opus", "flac"};
    return std::any_of(std::begin(kAudio), std::end(kAudio),
                       [&](std::string_view c) { return ascii::startsWithNoCase(codec, c); });
}

template <typename Test>
bool everyCodec(std::string_view codecs, Test test) {
    if (ascii::trim(codecs).empty())
        return false;
    while (true) {
        const std::size_t comma = codecs.find(',');
        if (!test(codecs.substr(0, comma)))
            return false;
        if (comma == std::string_view::npos)
            return true;
        codecs.remove_prefix(comma + 1);
    }
}

int pidOf(const std::uint8_t* p) {
    return (p[0] & 0x1F) << 8 | p[1];
}

// The section a packet's payload starts, without its pointer field and cut to its stated
// length (the CRC left out); empty when it does not fit in the packet.
std::span<const std::uint8_t> sectionIn(std::span<const std::uint8_t> payload) {
    if (payload.empty() || 1u + payload[0] + 3 > payload.size())
        return {};
    payload = payload.subspan(1u + payload[0]);
    const std::size_t length = std::size_t(payload[1] & 0x0F) << 8 | payload[2];
    if (length < 4 || 3 + length > payload.size())
        return {};
    return payload.subspan(0, 3 + length - 4);
}

}  // namespace

HlsPlaylist parseHlsPlaylist(std::string_view bytes, std::string_view baseUrl) {
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    HlsPlaylist list;
    std::int64_t sequence = 0;
    double duration = 0;
    bool discontinuity = false;
    bool variantPending = false;
    bool segmentLines = false;
    HlsVariant variant;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find_first_of("\r\n");
        const std::string_view line = ascii::trim(bytes.substr(0, end));
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (line.empty())
            continue;
        if (line.starts_with('#')) {
            const std::size_t colon = line.find(':');
            const std::string_view tag = line.substr(0, colon);
            const std::string_view value =
                colon == std::string_view::npos ? std::string_view() : line.substr(colon + 1);
            if (tag == "#EXT-X-MEDIA-SEQUENCE") {
                // It numbers the first segment; one further down would number segments twice.
                // Far below where counting on could overflow.
                if (!segmentLines)
                    sequence = std::clamp<std::int64_t>(number<std::int64_t>(value, 0), 0,
                                                        std::int64_t(1) << 52);
            } else if (tag == "#EXT-X-TARGETDURATION") {
                // A day is far beyond any segment, and keeps the player's times in
                // milliseconds in range.
                list.targetSeconds = std::min(seconds(value), 86400.0);
            } else if (tag == "#EXTINF") {
                duration = seconds(value.substr(0, value.find(',')));
            } else if (tag == "#EXT-X-DISCONTINUITY") {
                discontinuity = true;
            } else if (tag == "#EXT-X-ENDLIST") {
                list.ended = true;
            } else if (tag == "#EXT-X-KEY") {
                if (!ascii::equalsNoCase(attribute(value, "METHOD"), "NONE"))
                    list.encrypted = true;
            } else if (tag == "#EXT-X-MAP" || tag == "#EXT-X-BYTERANGE") {
                // fMP4, or segments cut from one file by byte ranges: neither is played.
                list.unsupportedSegments = true;
            } else if (tag == "#EXT-X-STREAM-INF") {
                variant = {};
                variant.bandwidth = number<long long>(attribute(value, "BANDWIDTH"), 0);
                variant.codecs = attribute(value, "CODECS");
                variant.audioGroup = attribute(value, "AUDIO");
                variantPending = true;
            } else if (tag == "#EXT-X-MEDIA" &&
                       ascii::equalsNoCase(attribute(value, "TYPE"), "AUDIO")) {
                const std::string uri = resolveUrl(baseUrl, attribute(value, "URI"));
                const std::string group = attribute(value, "GROUP-ID");
                if (!isWebAddress(uri))
                    continue;
                auto known = std::find_if(list.audioRenditions.begin(), list.audioRenditions.end(),
                                          [&](const auto& r) { return r.first == group; });
                if (known == list.audioRenditions.end())
                    list.audioRenditions.emplace_back(group, uri);
                else if (ascii::equalsNoCase(attribute(value, "DEFAULT"), "YES"))
                    known->second = uri;
            }
            continue;
        }
        const std::string url = resolveUrl(baseUrl, line);
        if (variantPending) {
            variantPending = false;
            variant.url = url;
            if (isWebAddress(url))
                list.variants.push_back(std::move(variant));
        } else {
            if (isWebAddress(url))
                list.segments.push_back({url, sequence, duration, discontinuity});
            ++sequence;
            segmentLines = true;
            discontinuity = false;
        }
        duration = 0;
    }
    return list;
}

std::vector<std::string> hlsMediaChoices(const HlsPlaylist& master) {
    constexpr long long kRichest = 192000;
    std::vector<const HlsVariant*> audio;
    std::vector<const HlsVariant*> others;
    for (const HlsVariant& v : master.variants) {
        if (everyCodec(v.codecs, playableAudio))
            audio.push_back(&v);
        else if (!everyCodec(v.codecs, isAudioCodec))
            others.push_back(&v);  // video, or codecs not stated
    }
    std::stable_sort(audio.begin(), audio.end(), [](const HlsVariant* a, const HlsVariant* b) {
        const bool aFits = a->bandwidth <= kRichest;
        const bool bFits = b->bandwidth <= kRichest;
        if (aFits != bFits)
            return aFits;
        return aFits ? a->bandwidth > b->bandwidth : a->bandwidth < b->bandwidth;
    });
    std::stable_sort(others.begin(), others.end(), [](const HlsVariant* a, const HlsVariant* b) {
        return a->bandwidth < b->bandwidth;
    });
    audio.insert(audio.end(), others.begin(), others.end());
    std::vector<std::string> choices;
    for (const HlsVariant* v : audio) {
        std::string url = v->url;
        for (const auto& [group, uri] : master.audioRenditions) {
            if (!v->audioGroup.empty() && group == v->audioGroup)
                url = uri;
        }
        if (std::find(choices.begin(), choices.end(), url) == choices.end())
            choices.push_back(std::move(url));
    }
    return choices;
}

std::size_t hlsLiveStart(const HlsPlaylist& media) {
    constexpr std::size_t kBehind = 3;
    if (media.ended || media.segments.size() <= kBehind)
        return 0;
    return media.segments.size() - kBehind;
}

std::size_t id3TagsLength(std::span<const std::uint8_t> bytes) {
    std::size_t at = 0;
    while (bytes.size() >= at + 10 && std::memcmp(bytes.data() + at, "ID3", 3) == 0) {
        const std::uint8_t* tag = bytes.data() + at;
        if ((tag[6] | tag[7] | tag[8] | tag[9]) & 0x80)
            break;  // not a tag: its size would be "synchsafe"
        const std::size_t size = std::size_t(tag[6]) << 21 | std::size_t(tag[7]) << 14 |
                                 std::size_t(tag[8]) << 7 | tag[9];
        const std::size_t whole = 10 + size + ((tag[5] & 0x10) ? 10 : 0);
        if (at + whole > bytes.size())
            return 0;
        at += whole;
    }
    return at;
}

SegmentKind detectSegmentKind(std::span<const std::uint8_t> head) {
    if (!head.empty() && head[0] == kSync && (head.size() <= kPacket || head[kPacket] == kSync))
        return SegmentKind::TransportStream;
    const std::span<const std::uint8_t> audio = head.subspan(id3TagsLength(head));
    const auto mp3 = findConfirmedSync(Codec::Mp3, audio);
    const auto aac = findConfirmedSync(Codec::Aac, audio);
    if (aac && (!mp3 || *aac < *mp3))
        return SegmentKind::Aac;
    return mp3 ? SegmentKind::Mp3 : SegmentKind::Unknown;
}

void TsAudio::push(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& out) {
    if (!carry_.empty()) {
        const std::size_t take = std::min(bytes.size(), kPacket - carry_.size());
        carry_.insert(carry_.end(), bytes.begin(), bytes.begin() + std::ptrdiff_t(take));
        bytes = bytes.subspan(take);
        if (carry_.size() < kPacket)
            return;
        packet(carry_.data(), out);
        carry_.clear();
    }
    while (!bytes.empty()) {
        if (bytes[0] != kSync) {
            // Lost step: on to the next sync byte.
            const auto* next = static_cast<const std::uint8_t*>(
                std::memchr(bytes.data() + 1, kSync, bytes.size() - 1));
            bytes = next ? bytes.subspan(std::size_t(next - bytes.data())) : bytes.last(0);
            continue;
        }
        if (bytes.size() < kPacket) {
            carry_.assign(bytes.begin(), bytes.end());
            return;
        }
        packet(bytes.data(), out);
        bytes = bytes.subspan(kPacket);
    }
}

void TsAudio::packet(const std::uint8_t* p, std::vector<std::uint8_t>& out) {
    const bool unitStart = p[1] & 0x40;
    const int pid = pidOf(p + 1);
    const int control = p[3] >> 4 & 3;
    std::size_t offset = 4;
    if (control & 2)
        offset += 1u + p[4];
    if (!(control & 1) || offset >= kPacket)
        return;
    std::span<const std::uint8_t> payload(p + offset, kPacket - offset);
    if (pid == 0 && unitStart) {
        programAssociation(sectionIn(payload));
    } else if (pid == mapPid_ && unitStart) {
        programMap(sectionIn(payload));
    } else if (pid == audioPid_) {
        if (unitStart) {
            // A PES header: start code, stream id, length, two flag bytes, header length.
            if (payload.size() < 9 || payload[0] != 0 || payload[1] != 0 || payload[2] != 1 ||
                9u + payload[8] > payload.size())
                return;
            payload = payload.subspan(9u + payload[8]);
        }
        out.insert(out.end(), payload.begin(), payload.end());
    }
}

void TsAudio::programAssociation(std::span<const std::uint8_t> section) {
    if (section.size() < 8 || section[0] != 0x00)
        return;
    for (std::size_t at = 8; at + 4 <= section.size(); at += 4) {
        const int program = section[at] << 8 | section[at + 1];
        if (program != 0) {  // program 0 names the network information table
            mapPid_ = pidOf(section.data() + at + 2);
            return;
        }
    }
}

void TsAudio::programMap(std::span<const std::uint8_t> section) {
    if (section.size() < 12 || section[0] != 0x02)
        return;
    std::size_t at = 12 + (std::size_t(section[10] & 0x0F) << 8 | section[11]);
    while (at + 5 <= section.size()) {
        const std::uint8_t type = section[at];
        const int pid = pidOf(section.data() + at + 1);
        at += 5 + (std::size_t(section[at + 3] & 0x0F) << 8 | section[at + 4]);
        std::optional<Codec> codec;
        if (type == 0x03 || type == 0x04)
            codec = Codec::Mp3;
        else if (type == 0x0F)
            codec = Codec::Aac;
        else if (type == 0x11 || type == 0x81 || type == 0x87)
            unplayable_ = true;  // AAC in LATM, AC-3, E-AC-3
        if (codec) {
            audioPid_ = pid;
            codec_ = codec;
            return;
        }
    }
}

}  // namespace sonorin::radio
