// HLS stations: the media playlist is read again and again, and each new segment is fetched
// whole and played in the order of its sequence number. A station three segments behind the
// live edge always has the next one waiting, so the output never runs dry between segments.
#include <algorithm>

#include "radio/player/session.h"

namespace sonorin::radio {

namespace {

// A segment is seconds of audio: far below this even for a video variant of a few Mbit/s.
constexpr std::size_t kSegmentBytes = 32 * 1024 * 1024;
// Segments in a row that hold nothing to hear before the station counts as silent.
constexpr int kSilentSegments = 3;

std::string_view asText(const std::vector<std::uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace

StreamSession::Fetched StreamSession::fetch(const std::string& url, std::size_t limit) {
    Fetched fetched;
    fetched.url = url;
    std::unique_ptr<Connection> connection = transport_.open(url);
    if (stopping()) {
        fetched.stopped = true;
        return fetched;
    }
    if (!connection) {
        fetched.failure = status::kUnreachable;
        return fetched;
    }
    const HttpAnswer& answer = connection->answer();
    if (answer.status >= 400) {
        fetched.failure = status::httpError(answer.status);
        return fetched;
    }
    if (!answer.finalUrl.empty())
        fetched.url = answer.finalUrl;
    fetched.stopped = !readAll(*connection, fetched.bytes, limit);
    if (!fetched.stopped && fetched.bytes.empty())
        fetched.failure = status::kInterrupted;
    return fetched;
}

StreamSession::Outcome StreamSession::playHls(const std::string& url, std::string_view text) {
    HlsPlaylist list = parseHlsPlaylist(text, url);
    std::string mediaUrl = url;
    if (!list.variants.empty()) {
        const std::optional<std::string> media = chooseHlsMedia(list);
        if (!media)
            return {Outcome::Failed, status::kHlsFormat};
        Fetched fetched = fetch(*media, limits_.playlistBytes);
        if (fetched.stopped)
            return {Outcome::Stopped, {}};
        if (!fetched.failure.empty())
            return {Outcome::Failed, fetched.failure};
        mediaUrl = fetched.url;
        list = parseHlsPlaylist(asText(fetched.bytes), mediaUrl);
        if (!list.variants.empty())
            list.segments.clear();  // a master list behind a master list is not followed
    }
    if (list.encrypted)
        return {Outcome::Failed, status::kHlsEncrypted};
    if (list.fragmentedMp4)
        return {Outcome::Failed, status::kHlsFormat};
    if (list.segments.empty())
        return {Outcome::Failed, status::kEmptyPlaylist};
    return streamHls(mediaUrl, std::move(list));
}

StreamSession::Outcome StreamSession::streamHls(const std::string& url, HlsPlaylist list) {
    Progress progress;
    TsAudio demuxer;
    std::optional<FrameReader> reader;
    std::vector<std::uint8_t> audio;
    int silentSegments = 0;
    std::int64_t next = list.segments[hlsLiveStart(list)].sequence;

    // One segment's audio to the sink; an outcome ends the station.
    auto play = [&](const HlsSegment& segment,
                    const std::vector<std::uint8_t>& bytes) -> std::optional<Outcome> {
        if (segment.discontinuity) {
            demuxer = TsAudio();
            reader.reset();
        }
        std::optional<Codec> codec;
        std::span<const std::uint8_t> payload(bytes);
        switch (detectSegmentKind(bytes)) {
            case SegmentKind::TransportStream:
                audio.clear();
                demuxer.push(bytes, audio);
                codec = demuxer.codec();
                payload = audio;
                break;
            case SegmentKind::Aac:
                codec = Codec::Aac;
                payload = payload.subspan(id3TagsLength(payload));
                break;
            case SegmentKind::Mp3:
                codec = Codec::Mp3;
                payload = payload.subspan(id3TagsLength(payload));
                break;
            case SegmentKind::Unknown:
                break;
        }
        if (codec) {
            if (!reader || reader->codec() != *codec)
                reader.emplace(*codec);
            reader->push(payload);
            if (auto outcome = drainFrames(*reader, progress))
                return outcome;
        }
        if (!progress.decodedAny && ++silentSegments >= kSilentSegments)
            return Outcome{Outcome::Failed, demuxer.onlyUnplayableAudio() ? status::kHlsFormat
                                                                          : status::kNoSound};
        return std::nullopt;
    };
    // The list or a segment could not be fetched: tried again, the tries counted and spaced
    // as for a stream that broke. A station never heard fails at once.
    auto broke = [&](const std::string& failure) -> std::optional<Outcome> {
        if (!progress.decodedAny)
            return Outcome{Outcome::Failed, failure};
        const std::int64_t now = clock_.nowMs();
        if (progress.failingSince < 0)
            progress.failingSince = now;
        if (now - progress.failingSince >= limits_.giveUpMs)
            return Outcome{Outcome::Failed, status::kInterrupted};
        progress.announced = false;
        ++progress.attempts;
        events_.changed(PlayerState::Connecting, status::reconnecting(progress.attempts));
        pause(retryDelay(progress.attempts));
        return std::nullopt;
    };

    while (true) {
        if (stopping())
            return {Outcome::Stopped, {}};
        bool played = false;
        std::string failure;
        for (const HlsSegment& segment : list.segments) {
            if (segment.sequence < next)
                continue;
            Fetched fetched = fetch(segment.url, kSegmentBytes);
            if (fetched.stopped)
                return {Outcome::Stopped, {}};
            if (!fetched.failure.empty()) {
                failure = fetched.failure;
                break;
            }
            next = segment.sequence + 1;
            played = true;
            if (auto outcome = play(segment, fetched.bytes))
                return *outcome;
        }
        if (list.ended && failure.empty()) {
            if (reader) {
                reader->finish();
                if (auto outcome = drainFrames(*reader, progress))
                    return *outcome;
            }
            if (!progress.decodedAny)
                return {Outcome::Failed, status::kNoSound};
            sink_.finish();
            return {stopping() ? Outcome::Stopped : Outcome::Played, status::kFinished};
        }
        if (!failure.empty()) {
            if (auto outcome = broke(failure))
                return *outcome;
        } else if (!played) {
            // Nothing new yet: the list is read again after half a segment's time.
            pause(std::clamp<std::int64_t>(std::int64_t(list.targetSeconds * 500), 500, 5000));
        }
        if (stopping())
            return {Outcome::Stopped, {}};
        Fetched fetched = fetch(url, limits_.playlistBytes);
        if (fetched.stopped)
            return {Outcome::Stopped, {}};
        HlsPlaylist again = parseHlsPlaylist(asText(fetched.bytes), url);
        if (fetched.failure.empty() && (again.segments.empty() || again.encrypted))
            fetched.failure = status::kEmptyPlaylist;
        if (!fetched.failure.empty()) {
            if (auto outcome = broke(fetched.failure))
                return *outcome;
            continue;
        }
        list = std::move(again);
        // Fallen behind the list (a long outage), or the list started over (the encoder was
        // restarted): on from near its live edge again.
        if (list.segments.front().sequence > next || list.segments.back().sequence + 1 < next)
            next = list.segments[hlsLiveStart(list)].sequence;
    }
}

}  // namespace sonorin::radio
