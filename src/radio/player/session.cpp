#include "radio/player/session.h"

#include <algorithm>
#include <optional>

#include "radio/player/directory.h"
#include "radio/player/icy.h"
#include "radio/player/playlist.h"

namespace sonorin::radio {

std::string status::httpError(int code) {
    return "电台返回错误（" + std::to_string(code) + "）";
}

std::string status::reconnecting(int attempt) {
    return std::string(kReconnecting) + "（第 " + std::to_string(attempt) + " 次）";
}

namespace {

constexpr std::size_t kReadSize = 16 * 1024;
constexpr std::size_t kProbeBytes = 16 * 1024;
constexpr std::size_t kDirectoryBytes = 4 * 1024 * 1024;
constexpr std::size_t kPlaylistEntries = 10;
constexpr std::size_t kDirectoryCandidates = 10;

bool isAudio(StreamKind kind) {
    return kind == StreamKind::Mp3 || kind == StreamKind::Aac || kind == StreamKind::Wav;
}

}  // namespace

struct StreamSession::Opened {
    std::unique_ptr<Connection> connection;
    HttpAnswer answer;
    StreamKind kind = StreamKind::Unknown;
    std::unique_ptr<IcyStripper> icy;
    std::vector<std::uint8_t> head;  // the body so far, without header lines and metadata
    long long received = 0;          // body bytes as sent, for the content length
    std::int64_t openedAt = 0;
    bool ended = false;
    bool stopped = false;
    std::string failure;
};

StreamSession::Opened StreamSession::openStream(const std::string& url) {
    Opened opened;
    opened.openedAt = clock_.nowMs();
    opened.connection = transport_.open(url);
    if (stopping()) {
        opened.stopped = true;
        return opened;
    }
    if (!opened.connection) {
        opened.failure = status::kUnreachable;
        return opened;
    }
    opened.answer = opened.connection->answer();
    if (opened.answer.status >= 400) {
        opened.failure = status::httpError(opened.answer.status);
        return opened;
    }
    std::string contentType = opened.answer.contentType;
    std::size_t metaint = opened.answer.icyMetaint;
    const std::string& where = opened.answer.finalUrl.empty() ? url : opened.answer.finalUrl;

    std::vector<std::uint8_t> raw;
    bool headersDone = false;
    const std::int64_t start = clock_.nowMs();
    std::uint8_t buffer[kReadSize];
    while (true) {
        if (stopping()) {
            opened.stopped = true;
            return opened;
        }
        std::size_t got = 0;
        bool timedOut = false;
        switch (opened.connection->read(buffer, sizeof buffer, got)) {
            case ReadResult::Data:
                break;
            case ReadResult::Wait: {
                // Nothing at all for a stall's time, or too little to tell for the probe time.
                const std::int64_t waited = clock_.nowMs() - start;
                timedOut = waited >= (opened.received == 0 ? limits_.stallMs : limits_.probeMs);
                break;
            }
            case ReadResult::End:
            case ReadResult::Error:
                opened.ended = true;
                break;
        }
        opened.received += static_cast<long long>(got);
        if (opened.received == 0 && (opened.ended || timedOut)) {
            opened.failure = opened.ended ? status::kNotAudio : status::kInterrupted;
            return opened;
        }
        const std::span<const std::uint8_t> piece(buffer, got);
        if (!headersDone) {
            raw.insert(raw.end(), piece.begin(), piece.end());
            BodyHeaders headers;
            const BodyHeaderScan scan = scanBodyHeaders(raw, headers);
            if (scan == BodyHeaderScan::NeedMore && !opened.ended && !timedOut)
                continue;
            if (scan == BodyHeaderScan::Found) {
                raw.erase(raw.begin(), raw.begin() + std::ptrdiff_t(headers.length));
                if (metaint == 0)
                    metaint = headers.metaint;
                if (contentType.empty())
                    contentType = headers.contentType;
            }
            headersDone = true;
            opened.icy = std::make_unique<IcyStripper>(metaint);
            opened.icy->feed(raw, opened.head);
        } else {
            opened.icy->feed(piece, opened.head);
        }
        const bool complete = opened.ended || timedOut || opened.head.size() >= kProbeBytes;
        opened.kind = detectStreamKind(contentType, where, opened.head, complete);
        if (opened.kind != StreamKind::Unknown || complete)
            return opened;
    }
}

StreamSession::ReadAll StreamSession::readAll(Connection& connection,
                                              std::vector<std::uint8_t>& into, std::size_t limit,
                                              std::int64_t deadline) {
    std::uint8_t buffer[kReadSize];
    std::int64_t lastData = clock_.nowMs();
    while (true) {
        if (stopping())
            return ReadAll::Stopped;
        if (into.size() >= limit)
            return ReadAll::TooLong;
        std::size_t got = 0;
        const ReadResult result = connection.read(buffer, sizeof buffer, got);
        into.insert(into.end(), buffer, buffer + got);
        const std::int64_t now = clock_.nowMs();
        if (stopping())
            return ReadAll::Stopped;
        if (result == ReadResult::Data)
            lastData = now;
        else if (result == ReadResult::End)
            return ReadAll::Whole;
        else if (result == ReadResult::Error || now - lastData >= limits_.stallMs)
            return ReadAll::Cut;
        // A byte now and then is no stall, but the whole answer must come in time.
        if (now >= deadline)
            return ReadAll::TooSlow;
    }
}

StreamSession::Outcome StreamSession::playAddress(const std::string& url, int depth,
                                                  bool announce) {
    if (announce)
        events_.changed(PlayerState::Connecting, status::kConnecting);
    Opened opened = openStream(url);
    if (opened.stopped)
        return {Outcome::Stopped, {}};
    if (!opened.failure.empty())
        return {Outcome::Failed, opened.failure};
    if (isAudio(opened.kind))
        return streamAudio(url, std::move(opened));
    if (opened.kind == StreamKind::M3u || opened.kind == StreamKind::Pls ||
        opened.kind == StreamKind::Xspf)
        return followPlaylist(url, std::move(opened), depth);
    if (opened.kind == StreamKind::Ogg)
        return {Outcome::Failed, status::kOgg};
    return {Outcome::Failed, status::kNotAudio};
}

StreamSession::Outcome StreamSession::followPlaylist(const std::string& url, Opened opened,
                                                     int depth) {
    const ReadAll read = opened.ended
                             ? ReadAll::Whole
                             : readAll(*opened.connection, opened.head, limits_.playlistBytes,
                                       opened.openedAt + limits_.wholeAnswerMs);
    if (read == ReadAll::Stopped)
        return {Outcome::Stopped, {}};
    if (read == ReadAll::TooSlow)
        return {Outcome::Failed, status::kInterrupted};
    opened.connection.reset();
    const std::string_view text(reinterpret_cast<const char*>(opened.head.data()),
                                opened.head.size());
    const std::string& base = opened.answer.finalUrl.empty() ? url : opened.answer.finalUrl;
    if (isHlsPlaylist(text)) {
        // Cut short, its live edge would be lost: it would play from far back.
        if (read == ReadAll::TooLong)
            return {Outcome::Failed, status::kPlaylistTooLong};
        if (read == ReadAll::Cut)
            return {Outcome::Failed, status::kInterrupted};
        return playHls(base, text);
    }
    // Of any other list its first entries are enough.
    std::vector<std::string> entries = parsePlaylist(text, base);
    if (entries.empty() || depth >= limits_.playlistDepth)
        return {Outcome::Failed, status::kEmptyPlaylist};
    if (entries.size() > kPlaylistEntries)
        entries.resize(kPlaylistEntries);
    Outcome last{Outcome::Failed, status::kEmptyPlaylist};
    for (const std::string& entry : entries) {
        last = playAddress(entry, depth + 1, false);
        // A list's later entries are alternatives for one that never played.
        if (last.kind != Outcome::Failed || audioStarted_)
            return last;
    }
    return last;
}

StreamSession::Outcome StreamSession::streamAudio(const std::string& url, Opened opened) {
    const StreamKind kind = opened.kind;
    const Codec codec = kind == StreamKind::Aac ? Codec::Aac : Codec::Mp3;
    FrameReader reader(codec);
    WavFormat wav;
    bool wavReady = false;
    std::vector<std::uint8_t> pending;
    std::vector<std::uint8_t> payload;
    Progress progress;
    std::int64_t lastData = clock_.nowMs();
    // Data may keep coming without ever reaching sound (an endless tag, padding, chunks
    // before the samples): that is no stall, but it must not hold the station for ever.
    const std::int64_t soundDue = lastData + limits_.probeMs;

    auto consume = [&](std::span<const std::uint8_t> bytes) -> std::optional<Outcome> {
        if (kind != StreamKind::Wav) {
            reader.push(bytes);
            return drainFrames(reader, progress);
        }
        pending.insert(pending.end(), bytes.begin(), bytes.end());
        if (!wavReady) {
            const WavParse parse = parseWavHeader(pending, wav);
            if (parse == WavParse::Invalid)
                return Outcome{Outcome::Failed, status::kNotAudio};
            if (parse == WavParse::NeedMore)
                return std::nullopt;
            pending.erase(pending.begin(), pending.begin() + std::ptrdiff_t(wav.dataOffset));
            wavReady = true;
        }
        const std::size_t block = std::size_t(wav.channels * wav.bitsPerSample / 8);
        const std::size_t whole = pending.size() / block * block;
        if (whole > 0) {
            if (sink_.pcm({wav.channels, wav.sampleRate, wav.bitsPerSample}, pending.data(),
                          whole) != SinkResult::Played) {
                return Outcome{Outcome::Failed, status::kNoOutput};
            }
            pending.erase(pending.begin(), pending.begin() + std::ptrdiff_t(whole));
            heard(progress);
        }
        return std::nullopt;
    };
    auto titles = [&] {
        if (auto title = opened.icy->takeTitle())
            events_.title(*title);
    };

    titles();
    if (auto outcome = consume(opened.head))
        return *outcome;
    std::uint8_t buffer[kReadSize];
    while (true) {
        if (stopping())
            return {Outcome::Stopped, {}};
        ReadResult result = ReadResult::End;
        std::size_t got = 0;
        if (!opened.ended)
            result = opened.connection->read(buffer, sizeof buffer, got);
        const std::int64_t now = clock_.nowMs();
        bool interrupted = false;
        switch (result) {
            case ReadResult::Data:
                lastData = now;
                opened.received += static_cast<long long>(got);
                payload.clear();
                opened.icy->feed({buffer, got}, payload);
                titles();
                if (auto outcome = consume(payload))
                    return *outcome;
                break;
            case ReadResult::Wait:
                interrupted = now - lastData >= limits_.stallMs;
                break;
            case ReadResult::End:
                // A file of known length that arrived whole has ended; a radio stream never
                // ends by itself, so any other end is an interruption.
                if (opened.answer.contentLength >= 0 &&
                    opened.received >= opened.answer.contentLength) {
                    reader.finish();
                    if (auto outcome = drainFrames(reader, progress))
                        return *outcome;
                    if (!progress.decodedAny)
                        return {Outcome::Failed, status::kUndecodable};
                    sink_.finish();
                    return {stopping() ? Outcome::Stopped : Outcome::Played, status::kFinished};
                }
                interrupted = true;
                break;
            case ReadResult::Error:
                interrupted = true;
                break;
        }
        if (!progress.decodedAny && now >= soundDue)
            return {Outcome::Failed, status::kNoSound};
        if (!interrupted)
            continue;
        if (!progress.decodedAny)
            return {Outcome::Failed, status::kUndecodable};
        // What is queued plays out meanwhile; the title belonged to the broken stream.
        if (progress.failingSince < 0)
            progress.failingSince = now;
        progress.announced = false;
        events_.title("");
        if (auto outcome =
                reconnect(url, kind, opened, progress.attempts, progress.failingSince))
            return *outcome;
        reader = FrameReader(codec);
        wavReady = false;
        pending.clear();
        lastData = clock_.nowMs();
        titles();
        if (auto outcome = consume(opened.head))
            return *outcome;
    }
}

void StreamSession::heard(Progress& progress) {
    progress.decodedAny = true;
    progress.undecodable = 0;
    progress.attempts = 0;
    progress.failingSince = -1;
    if (!progress.announced) {
        progress.announced = true;
        events_.changed(PlayerState::Playing, status::kPlaying);
    }
    if (!audioStarted_) {
        audioStarted_ = true;
        if (!candidate_.empty())
            events_.addressFound(candidate_);
    }
}

std::optional<StreamSession::Outcome> StreamSession::handFrame(const FrameView& frame,
                                                               Progress& progress) {
    if (stopping())
        return Outcome{Outcome::Stopped, {}};
    const SinkResult result = sink_.frame(frame);
    if (result == SinkResult::Played)
        heard(progress);
    else if (result == SinkResult::NoOutput)
        return Outcome{Outcome::Failed, status::kNoOutput};
    else if (++progress.undecodable >= limits_.undecodableFrames && !progress.decodedAny)
        return Outcome{Outcome::Failed, status::kUndecodable};
    return std::nullopt;
}

std::optional<StreamSession::Outcome> StreamSession::drainFrames(FrameReader& reader,
                                                                 Progress& progress) {
    while (auto frame = reader.next()) {
        if (auto outcome = handFrame(*frame, progress))
            return outcome;
    }
    return std::nullopt;
}

std::int64_t StreamSession::retryDelay(int attempts) const {
    std::int64_t wait = limits_.firstRetryMs;
    for (int i = 1; i < attempts && wait < limits_.longestRetryMs; ++i)
        wait *= 2;
    return std::min(wait, limits_.longestRetryMs);
}

void StreamSession::pause(std::int64_t ms) {
    const std::int64_t until = clock_.nowMs() + ms;
    while (!stopping()) {
        const std::int64_t left = until - clock_.nowMs();
        if (left <= 0)
            return;
        clock_.sleep(std::min<std::int64_t>(left, 50));
    }
}

std::optional<StreamSession::Outcome> StreamSession::reconnect(const std::string& url,
                                                               StreamKind kind, Opened& opened,
                                                               int& attempts,
                                                               std::int64_t failingSince) {
    opened.connection.reset();
    while (true) {
        if (clock_.nowMs() - failingSince >= limits_.giveUpMs)
            return Outcome{Outcome::Failed, status::kInterrupted};
        ++attempts;
        events_.changed(PlayerState::Connecting, status::reconnecting(attempts));
        pause(retryDelay(attempts));
        if (stopping())
            return Outcome{Outcome::Stopped, {}};
        opened = openStream(url);
        if (opened.stopped)
            return Outcome{Outcome::Stopped, {}};
        // Refused, an error answer, silence or something else than the station was: try again.
        if (opened.failure.empty() && opened.kind == kind)
            return std::nullopt;
        opened.connection.reset();
    }
}

void StreamSession::run(const Station& station, const std::string& directoryHost) {
    audioStarted_ = false;
    candidate_.clear();
    auto report = [this](const Outcome& outcome) {
        if (outcome.kind == Outcome::Played)
            events_.changed(PlayerState::Stopped, outcome.status);
        else if (outcome.kind == Outcome::Failed)
            events_.changed(PlayerState::Failed, outcome.status);
    };
    if (!station.address.empty()) {
        report(playAddress(station.address, 0, true));
        return;
    }

    events_.changed(PlayerState::Connecting, status::kSearching);
    const std::int64_t asked = clock_.nowMs();
    std::unique_ptr<Connection> lookup =
        transport_.open(directoryLookupUrl(directoryHost, station.name));
    if (stopping())
        return;
    if (!lookup || lookup->answer().status >= 400) {
        report({Outcome::Failed, status::kDirectoryUnreachable});
        return;
    }
    std::vector<std::uint8_t> json;
    const ReadAll read = readAll(*lookup, json, kDirectoryBytes, asked + limits_.wholeAnswerMs);
    if (read == ReadAll::Stopped)
        return;
    lookup.reset();
    if (read == ReadAll::TooSlow) {
        report({Outcome::Failed, status::kDirectoryUnreachable});
        return;
    }
    const auto candidates = directoryCandidates(
        std::string_view(reinterpret_cast<const char*>(json.data()), json.size()));
    if (!candidates) {
        report({Outcome::Failed, status::kDirectoryUnreachable});
        return;
    }
    Outcome last{Outcome::Failed, status::kNotInDirectory};
    for (std::size_t i = 0; i < std::min(candidates->size(), kDirectoryCandidates); ++i) {
        candidate_ = (*candidates)[i];
        last = playAddress(candidate_, 0, true);
        if (last.kind != Outcome::Failed || audioStarted_)
            break;
        sink_.discard();
    }
    report(last);
}

}  // namespace sonorin::radio
