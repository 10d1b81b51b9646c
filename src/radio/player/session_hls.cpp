// HLS stations: the media playlist is read again and again, and each new segment is fetched
// whole and played in the order of its sequence number. The next segments are fetched while
// the last one plays, and a station three segments behind the live edge always has the next
// one waiting, so the output never runs dry between segments.
#include <algorithm>
#include <deque>
#include <utility>

#include "radio/player/session.h"

namespace sonorin::radio {

namespace {

// A segment is seconds of audio: far below this even for a video variant of a few Mbit/s.
constexpr std::size_t kSegmentBytes = 32 * 1024 * 1024;
// Segments in a row that hold nothing to hear before the station counts as silent.
constexpr int kSilentSegments = 3;
// Variants of a master list tried before the station counts as failed.
constexpr std::size_t kVariantsTried = 4;
// Segments fetched ahead of the one playing: enough that a slow server never lets the output
// run dry at a segment's boundary, few enough to keep what is held small.
constexpr std::size_t kSegmentsAhead = 2;
// What the sink is kept holding while the network is read: each read is short, and the
// Windows output holds 1.6 s, so handing sound never keeps the network waiting.
constexpr std::int64_t kQueuedMs = 1200;

std::string_view asText(const std::vector<std::uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace

std::int64_t StreamSession::segmentWithinMs(const HlsPlaylist& list) const {
    return std::max<std::int64_t>(3 * limits_.stallMs, std::int64_t(list.targetSeconds * 3000));
}

StreamSession::Download StreamSession::startDownload(const std::string& url, std::size_t limit,
                                                     std::int64_t withinMs) {
    Download download;
    download.fetched.url = url;
    download.limit = limit;
    download.withinMs = withinMs;
    download.start = clock_.nowMs();
    download.lastData = download.start;
    download.done = true;
    download.connection = transport_.open(url);
    Fetched& fetched = download.fetched;
    if (stopping()) {
        fetched.stopped = true;
    } else if (!download.connection) {
        fetched.failure = status::kUnreachable;
    } else if (download.connection->answer().status >= 400) {
        fetched.failure = status::httpError(download.connection->answer().status);
        fetched.httpError = true;
    } else {
        if (!download.connection->answer().finalUrl.empty())
            fetched.url = download.connection->answer().finalUrl;
        download.done = false;
    }
    if (download.done)
        download.connection.reset();
    return download;
}

void StreamSession::stepDownload(Download& download) {
    // Whole, in time: a server that trickles or never ends is a broken one, and what it sent
    // is not kept beyond the limit.
    Fetched& fetched = download.fetched;
    std::uint8_t buffer[16 * 1024];
    std::size_t got = 0;
    const ReadResult result =
        stopping() ? ReadResult::Error : download.connection->read(buffer, sizeof buffer, got);
    const std::int64_t now = clock_.nowMs();
    const bool tooSlow = now - download.start >= download.withinMs ||
                         (result == ReadResult::Wait && now - download.lastData >= limits_.stallMs);
    download.done = true;
    if (stopping()) {
        fetched.stopped = true;
    } else if (result == ReadResult::End && !fetched.bytes.empty()) {
        // Arrived whole.
    } else if (fetched.bytes.size() + got > download.limit) {
        fetched.failure = status::kNotAudio;
        fetched.tooLong = true;
    } else if (result == ReadResult::End || result == ReadResult::Error || tooSlow) {
        fetched.failure = status::kInterrupted;
    } else {
        if (result == ReadResult::Data) {
            fetched.bytes.insert(fetched.bytes.end(), buffer, buffer + got);
            download.lastData = now;
        }
        download.done = false;
    }
    if (download.done)
        download.connection.reset();
}

StreamSession::Fetched StreamSession::fetch(const std::string& url, std::size_t limit,
                                            std::int64_t withinMs) {
    Download download = startDownload(url, limit, withinMs);
    while (!download.done)
        stepDownload(download);
    return std::move(download.fetched);
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
        Fetched fetched = fetch(choices[i], limits_.playlistBytes, limits_.wholeAnswerMs);
        if (fetched.stopped)
            return {Outcome::Stopped, {}};
        if (!fetched.failure.empty()) {
            last = {Outcome::Failed, fetched.tooLong ? status::kPlaylistTooLong : fetched.failure};
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
    struct Segment {
        HlsSegment segment;
        std::vector<std::uint8_t> bytes;
    };
    Progress progress;
    TsAudio demuxer;
    std::optional<FrameReader> reader;
    std::vector<std::uint8_t> audio;
    int silentSegments = 0;
    bool segmentInReader = false;  // a segment went to the reader and is not all heard yet
    std::deque<Segment> ready;     // fetched, waiting to be played
    std::optional<Download> download;
    HlsSegment downloading;  // what `download` fetches, unless it is the list
    bool downloadingList = false;
    std::int64_t next = list.segments[hlsLiveStart(list)].sequence;
    std::int64_t lastNew = clock_.nowMs();  // when a new segment last arrived
    std::int64_t reloadAt = 0;              // the list is read again from then on
    std::int64_t retryAt = 0;               // nothing is fetched before then (after a break)
    // Since the list was last read: a segment arrived, or the server had none it listed.
    bool fetchedSinceList = false;
    std::string missingSinceList;
    // The tries since the station broke; it is heard again once a new segment arrives.
    int attempts = 0;
    std::int64_t failingSince = -1;

    // Sound is handed while the sink holds less than this, in between short reads of the
    // network.
    const auto wantsSound = [&] {
        const std::optional<std::int64_t> queued = sink_.queuedMs();
        return !queued || *queued < kQueuedMs;
    };
    // A fetched segment's audio into the reader.
    const auto push = [&](const Segment& fetched) {
        const std::vector<std::uint8_t>& bytes = fetched.bytes;
        if (fetched.segment.discontinuity) {
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
        }
    };
    // Frames to the sink while it wants them (`all`: until there are none), the fetched
    // segments in turn; an outcome ends the station.
    const auto feed = [&](bool all) -> std::optional<Outcome> {
        while (all || wantsSound()) {
            if (stopping())
                return Outcome{Outcome::Stopped, {}};
            if (auto frame = reader ? reader->next() : std::nullopt) {
                if (auto outcome = handFrame(*frame, progress))
                    return outcome;
                continue;
            }
            if (segmentInReader) {
                segmentInReader = false;
                if (!progress.decodedAny && ++silentSegments >= kSilentSegments)
                    return Outcome{Outcome::Failed, demuxer.onlyUnplayableAudio()
                                                        ? status::kHlsFormat
                                                        : status::kNoSound};
            }
            if (ready.empty())
                return std::nullopt;
            push(ready.front());
            ready.pop_front();
            segmentInReader = true;
        }
        return std::nullopt;
    };
    // The list or a segment could not be fetched: tried again, the tries counted and spaced
    // as for a stream that broke, while what was fetched plays on. A station never heard
    // fails at once.
    const auto broke = [&](const std::string& failure) -> std::optional<Outcome> {
        if (!progress.decodedAny)
            return Outcome{Outcome::Failed, failure};
        const std::int64_t now = clock_.nowMs();
        if (failingSince < 0)
            failingSince = now;
        if (now - failingSince >= limits_.giveUpMs)
            return Outcome{Outcome::Failed, status::kInterrupted};
        ++attempts;
        events_.changed(PlayerState::Connecting, status::reconnecting(attempts));
        retryAt = now + retryDelay(attempts);
        return std::nullopt;
    };
    const auto segmentArrived = [&](Fetched fetched) -> std::optional<Outcome> {
        if (fetched.httpError) {
            // A segment the server does not have is skipped; the next may be there.
            missingSinceList = fetched.failure;
            next = downloading.sequence + 1;
            return std::nullopt;
        }
        if (!fetched.failure.empty())
            return broke(fetched.failure);  // the same segment is tried again
        next = downloading.sequence + 1;
        lastNew = clock_.nowMs();
        fetchedSinceList = true;
        if (failingSince >= 0) {
            // Back: its sound says so when it is heard.
            attempts = 0;
            failingSince = -1;
            progress.announced = false;
        }
        ready.push_back({downloading, std::move(fetched.bytes)});
        return std::nullopt;
    };
    const auto listArrived = [&](const Fetched& fetched) -> std::optional<Outcome> {
        HlsPlaylist again = parseHlsPlaylist(asText(fetched.bytes), url);
        std::string failure = fetched.tooLong ? status::kPlaylistTooLong : fetched.failure;
        if (failure.empty() && (again.segments.empty() || again.encrypted))
            failure = status::kEmptyPlaylist;
        if (!failure.empty())
            return broke(failure);
        list = std::move(again);
        // Fallen behind the list (a long outage), or the list started over (the encoder was
        // restarted): on from near its live edge again.
        if (list.segments.front().sequence > next || list.segments.back().sequence + 1 < next)
            next = list.segments[hlsLiveStart(list)].sequence;
        if (list.ended || list.segments.back().sequence >= next)
            return std::nullopt;
        const std::int64_t now = clock_.nowMs();
        // The list stopped growing: the station stalled.
        if (now - lastNew >=
            std::max<std::int64_t>(limits_.stallMs, std::int64_t(list.targetSeconds * 3000)))
            return broke(status::kInterrupted);
        // Nothing new yet: the list is read again after half a segment's time.
        reloadAt =
            now + std::clamp<std::int64_t>(std::int64_t(list.targetSeconds * 500), 500, 5000);
        return std::nullopt;
    };

    while (true) {
        if (auto outcome = feed(false))
            return *outcome;
        if (download) {
            if (!download->done)
                stepDownload(*download);
            if (!download->done)
                continue;
            Fetched fetched = std::move(download->fetched);
            download.reset();
            if (fetched.stopped)
                return {Outcome::Stopped, {}};
            if (auto outcome =
                    downloadingList ? listArrived(fetched) : segmentArrived(std::move(fetched)))
                return *outcome;
            continue;
        }
        const bool more = list.segments.back().sequence >= next;
        if (!more && !fetchedSinceList && !missingSinceList.empty()) {
            // Of the segments the list named, the server had none.
            const std::string failure = std::exchange(missingSinceList, {});
            if (auto outcome = broke(failure))
                return *outcome;
            continue;
        }
        if (list.ended && !more && ready.empty()) {
            // The whole recording was fetched: it plays out.
            if (auto outcome = feed(true))
                return *outcome;
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
        const std::int64_t now = clock_.nowMs();
        if (now >= retryAt && more && ready.size() < kSegmentsAhead) {
            const auto segment =
                std::find_if(list.segments.begin(), list.segments.end(),
                             [&](const HlsSegment& s) { return s.sequence >= next; });
            downloading = *segment;
            downloadingList = false;
            download = startDownload(segment->url, kSegmentBytes, segmentWithinMs(list));
            continue;
        }
        if (now >= retryAt && now >= reloadAt && !more && !list.ended) {
            fetchedSinceList = false;
            missingSinceList.clear();
            downloadingList = true;
            download = startDownload(url, limits_.playlistBytes, limits_.wholeAnswerMs);
            continue;
        }
        // Nothing to fetch yet: the sink plays on meanwhile.
        if (stopping())
            return {Outcome::Stopped, {}};
        const std::int64_t due = std::max(retryAt, more ? now : reloadAt);
        clock_.sleep(due > now ? std::min<std::int64_t>(due - now, 50) : 50);
    }
}

}  // namespace sonorin::radio
