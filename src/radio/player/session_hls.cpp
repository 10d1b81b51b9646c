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
// Variants of a master list tried before the station counts as failed.
constexpr std::size_t kVariantsTried = 4;

std::string_view asText(const std::vector<std::uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace

std::int64_t StreamSession::listWithinMs() const {
    return 3 * limits_.stallMs;
}

std::int64_t StreamSession::segmentWithinMs(const HlsPlaylist& list) const {
    return std::max<std::int64_t>(3 * limits_.stallMs, std::int64_t(list.targetSeconds * 3000));
}

StreamSession::Fetched StreamSession::fetch(const std::string& url, std::size_t limit,
                                            std::int64_t withinMs) {
    Fetched fetched;
    fetched.url = url;
    const std::int64_t start = clock_.nowMs();
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
        fetched.httpError = true;
        return fetched;
    }
    if (!answer.finalUrl.empty())
        fetched.url = answer.finalUrl;
    // Whole, in time: a server that trickles or never ends is a broken one, and what it sent
    // is not kept beyond `limit`.
    std::uint8_t buffer[16 * 1024];
    std::int64_t lastData = start;
    while (true) {
        if (stopping()) {
            fetched.stopped = true;
            return fetched;
        }
        std::size_t got = 0;
        const ReadResult result = connection->read(buffer, sizeof buffer, got);
        const std::int64_t now = clock_.nowMs();
        if (result == ReadResult::End && !fetched.bytes.empty())
            return fetched;
        const bool tooLong = now - start >= withinMs ||
                             (result == ReadResult::Wait && now - lastData >= limits_.stallMs);
        if (fetched.bytes.size() + got > limit) {
            fetched.failure = status::kNotAudio;
            return fetched;
        }
        if (result == ReadResult::End || result == ReadResult::Error || tooLong) {
            fetched.failure = status::kInterrupted;
            return fetched;
        }
        if (result == ReadResult::Data) {
            fetched.bytes.insert(fetched.bytes.end(), buffer, buffer + got);
            lastData = now;
        }
    }
}

StreamSession::Outcome StreamSession::playHls(const std::string& url, std::string_view text) {
    const HlsPlaylist master = parseHlsPlaylist(text, url);
    if (master.variants.empty())
        return streamHls(url, master);
    const std::vector<std::string> choices = hlsMediaChoices(master);
    // Each variant in the listener's order until one plays: the same programme, so a variant
    // that breaks after it was heard is not swapped for another.
    Outcome last{Outcome::Failed, status::kHlsFormat};
    for (std::size_t i = 0; i < std::min(choices.size(), kVariantsTried); ++i) {
        Fetched fetched = fetch(choices[i], limits_.playlistBytes, listWithinMs());
        if (fetched.stopped)
            return {Outcome::Stopped, {}};
        if (!fetched.failure.empty()) {
            last = {Outcome::Failed, fetched.failure};
            continue;
        }
        HlsPlaylist media = parseHlsPlaylist(asText(fetched.bytes), fetched.url);
        if (!media.variants.empty())
            media.segments.clear();  // a master list behind a master list is not followed
        last = streamHls(fetched.url, std::move(media));
        if (last.kind != Outcome::Failed || audioStarted_)
            return last;
        sink_.discard();
    }
    return last;
}

StreamSession::Outcome StreamSession::streamHls(const std::string& url, HlsPlaylist list) {
    if (list.encrypted)
        return {Outcome::Failed, status::kHlsEncrypted};
    if (list.unsupportedSegments)
        return {Outcome::Failed, status::kHlsFormat};
    if (list.segments.empty())
        return {Outcome::Failed, status::kEmptyPlaylist};
    Progress progress;
    TsAudio demuxer;
    std::optional<FrameReader> reader;
    std::vector<std::uint8_t> audio;
    int silentSegments = 0;
    std::int64_t next = list.segments[hlsLiveStart(list)].sequence;
    std::int64_t lastNew = clock_.nowMs();  // when a segment was last played

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
            Fetched fetched = fetch(segment.url, kSegmentBytes, segmentWithinMs(list));
            if (fetched.stopped)
                return {Outcome::Stopped, {}};
            if (fetched.httpError) {
                // A segment the server does not have is skipped; the next may be there.
                failure = fetched.failure;
                next = segment.sequence + 1;
                continue;
            }
            if (!fetched.failure.empty()) {
                failure = fetched.failure;
                break;
            }
            next = segment.sequence + 1;
            played = true;
            failure.clear();
            lastNew = clock_.nowMs();
            if (auto outcome = play(segment, fetched.bytes))
                return *outcome;
        }
        if (list.ended && (played || failure.empty())) {
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
        if (!played && failure.empty() &&
            clock_.nowMs() - lastNew >=
                std::max<std::int64_t>(limits_.stallMs, std::int64_t(list.targetSeconds * 3000)))
            failure = status::kInterrupted;  // the list stopped growing: the station stalled
        if (!played && !failure.empty()) {
            if (auto outcome = broke(failure))
                return *outcome;
        } else if (!played) {
            // Nothing new yet: the list is read again after half a segment's time.
            pause(std::clamp<std::int64_t>(std::int64_t(list.targetSeconds * 500), 500, 5000));
        }
        if (stopping())
            return {Outcome::Stopped, {}};
        Fetched fetched = fetch(url, limits_.playlistBytes, listWithinMs());
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
