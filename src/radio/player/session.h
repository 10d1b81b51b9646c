// One station played from start to end on the player's worker thread: finding its address in
// the directory, connecting, following playlists, recognising the stream, cutting it into
// frames for the decoder, and the rules for stalls and reconnects. Everything outside (the
// network, the clock, the decoder and sound output, the user interface) comes in through the
// interfaces below, so the rules run the same against fakes.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "radio/player/format.h"
#include "radio/player/frames.h"
#include "radio/player/hls.h"
#include "radio/station_player.h"

namespace sonorin::radio {

struct HttpAnswer {
    int status = 200;
    std::string contentType;
    std::string finalUrl;  // after redirects; empty when unknown
    long long contentLength = -1;
    std::size_t icyMetaint = 0;
};

enum class ReadResult { Data, Wait, End, Error };

class Connection {
  public:
    virtual ~Connection() = default;
    virtual const HttpAnswer& answer() const = 0;
    // Data: `got` bytes arrived. Wait: nothing arrived for a while (the clock tells how long).
    // End: the server closed the stream. Error: the connection broke.
    virtual ReadResult read(std::uint8_t* into, std::size_t capacity, std::size_t& got) = 0;
};

class Transport {
  public:
    virtual ~Transport() = default;
    // An HTTP(S) GET that asks for ICY metadata; nullptr when the server cannot be reached.
    virtual std::unique_ptr<Connection> open(const std::string& url) = 0;
};

class SessionClock {
  public:
    virtual ~SessionClock() = default;
    virtual std::int64_t nowMs() = 0;
    // Lets about `ms` pass (the session waits in short slices, so a stop is seen promptly).
    virtual void sleep(std::int64_t ms) = 0;
};

struct PcmFormat {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    bool operator==(const PcmFormat&) const = default;
};

enum class SinkResult { Played, Undecodable, NoOutput };

// Decoding and sound output. Calls may block while the output is full; they return early once
// the session is asked to stop.
class AudioSink {
  public:
    virtual ~AudioSink() = default;
    // One whole MP3 or ADTS frame.
    virtual SinkResult frame(const FrameView& frame) = 0;
    virtual SinkResult pcm(const PcmFormat& format, const std::uint8_t* bytes,
                           std::size_t size) = 0;
    // Plays out what is queued and returns when it has been heard.
    virtual void finish() = 0;
    // Drops what is queued: used before a reconnect or another candidate starts.
    virtual void discard() = 0;
    // How long the sound handed so far still plays, in ms; nothing when the sink cannot tell.
    // A sink that tells is topped up between short reads of the network, so that an HLS
    // station fetches its next segment while the last one still plays; one that cannot is
    // handed each segment whole before the next is fetched.
    virtual std::optional<std::int64_t> queuedMs() const { return std::nullopt; }
};

class SessionEvents {
  public:
    virtual ~SessionEvents() = default;
    virtual void changed(PlayerState state, const std::string& status) = 0;
    virtual void title(const std::string& title) = 0;
    // A station without an address played from this one.
    virtual void addressFound(const std::string& url) = 0;
};

struct SessionLimits {
    std::int64_t stallMs = 10000;  // no data this long: the stream has stalled
    // Longest wait for enough of the stream to recognise it, and then for its first sound
    // (a stream of tags or padding that never reaches audio fails after it).
    std::int64_t probeMs = 5000;
    // A station that played and broke is tried again after 1, 2, 4, … s, at most 30 s apart,
    // until it plays again or has been failing for 10 minutes.
    std::int64_t firstRetryMs = 1000;
    std::int64_t longestRetryMs = 30000;
    std::int64_t giveUpMs = 600000;
    // A playlist or a directory answer arrives whole within this, however slowly it trickles
    // in; one that takes longer is given up, not waited on.
    std::int64_t wholeAnswerMs = 30000;
    // An HLS list with a long rewind window is long: some 20,000 entries even with long
    // addresses. A list longer than this is refused, never read cut short.
    std::size_t playlistBytes = 4 * 1024 * 1024;
    int playlistDepth = 3;
    int undecodableFrames = 50;  // in a row, before any was decoded
};

// The user-visible status texts.
namespace status {
inline constexpr const char* kConnecting = "正在连接…";
inline constexpr const char* kSearching = "正在电台目录中查找…";
inline constexpr const char* kPlaying = "正在播放";
inline constexpr const char* kReconnecting = "连接中断，正在重新连接…";
inline constexpr const char* kFinished = "播放完毕";
inline constexpr const char* kUnreachable = "无法连接电台";
inline constexpr const char* kNotAudio = "电台发来的不是可以播放的声音";
inline constexpr const char* kUndecodable = "无法解码电台的声音";
inline constexpr const char* kNoSound = "电台迟迟没有发来可以播放的声音";
inline constexpr const char* kNoOutput = "无法打开声音输出设备";
inline constexpr const char* kHlsEncrypted = "不支持加密的 HLS 电台";
inline constexpr const char* kHlsFormat = "不支持这种 HLS 电台的分段格式";
inline constexpr const char* kOgg = "不支持 Ogg 格式的电台";
inline constexpr const char* kEmptyPlaylist = "播放列表里没有可用的地址";
inline constexpr const char* kPlaylistTooLong = "电台的播放列表太长";
inline constexpr const char* kInterrupted = "电台连接已中断";
inline constexpr const char* kDirectoryUnreachable = "无法连接电台目录";
inline constexpr const char* kNotInDirectory = "电台目录里找不到这个电台";
// "电台返回错误（404）"
std::string httpError(int status);
// "连接中断，正在重新连接…（第 3 次）"
std::string reconnecting(int attempt);
}  // namespace status

class StreamSession {
  public:
    StreamSession(Transport& transport, SessionClock& clock, AudioSink& sink, SessionEvents& events,
                  const std::atomic<bool>& stopRequested, SessionLimits limits = {})
        : transport_(transport),
          clock_(clock),
          sink_(sink),
          events_(events),
          stop_(stopRequested),
          limits_(limits) {}

    // Plays the station until it ends, fails or the stop is requested. Reports through the
    // events; a stop requested from outside is not reported (the caller knows).
    void run(const Station& station, const std::string& directoryHost);

  private:
    struct Outcome {
        enum Kind { Played, Failed, Stopped } kind;
        std::string status;
    };
    struct Opened;
    // How a stream is going: whether it has been heard, and the tries since it broke.
    struct Progress {
        bool decodedAny = false;
        bool announced = false;
        int undecodable = 0;
        int attempts = 0;
        std::int64_t failingSince = -1;  // when it broke; -1 while it plays
    };
    // A whole small resource: a playlist or an HLS segment.
    struct Fetched {
        std::vector<std::uint8_t> bytes;
        std::string url;  // after redirects
        std::string failure;
        bool httpError = false;  // the server answered, with an error status
        bool tooLong = false;    // it ran past the limit
        bool stopped = false;
    };
    // A Fetched on its way, read a piece at a time.
    struct Download {
        std::unique_ptr<Connection> connection;
        Fetched fetched;
        std::size_t limit = 0;
        std::int64_t start = 0;
        std::int64_t lastData = 0;
        std::int64_t withinMs = 0;
        bool done = false;
    };
    // How the rest of an answer came: whole, cut by a stall or a break, past the limit, past
    // the time allowed, or not at all for a stop.
    enum class ReadAll { Whole, Cut, TooLong, TooSlow, Stopped };

    Outcome playAddress(const std::string& url, int depth, bool announce);
    Outcome streamAudio(const std::string& url, Opened opened);
    Outcome followPlaylist(const std::string& url, Opened opened, int depth);
    Outcome playHls(const std::string& url, std::string_view text);
    Outcome streamHls(const std::string& url, HlsPlaylist list);
    Opened openStream(const std::string& url);
    Fetched fetch(const std::string& url, std::size_t limit, std::int64_t withinMs);
    Download startDownload(const std::string& url, std::size_t limit, std::int64_t withinMs);
    // One read; `done` once it has arrived whole, failed or the stop was asked for.
    void stepDownload(Download& download);
    // How long a segment may take to arrive whole.
    std::int64_t segmentWithinMs(const HlsPlaylist& list) const;
    // The stream has been heard: reported once, the tries since a break forgotten.
    void heard(Progress& progress);
    // Hands the reader's whole frames to the sink; an outcome ends the stream.
    std::optional<Outcome> drainFrames(FrameReader& reader, Progress& progress);
    std::optional<Outcome> handFrame(const FrameView& frame, Progress& progress);
    // The pause before the `attempts`-th try after a break: 1, 2, 4, … s, at most 30 s.
    std::int64_t retryDelay(int attempts) const;
    // The rest of an answer into `into`, up to `limit` and by `deadline`.
    ReadAll readAll(Connection& connection, std::vector<std::uint8_t>& into, std::size_t limit,
                    std::int64_t deadline);
    // Opens the stream again after a break, waiting longer between tries; Stopped or Failed
    // (given up) when no stream came back, else the new stream of the same kind.
    std::optional<Outcome> reconnect(const std::string& url, StreamKind kind, Opened& opened,
                                     int& attempts, std::int64_t failingSince);
    void pause(std::int64_t ms);
    bool stopping() const { return stop_.load(); }

    Transport& transport_;
    SessionClock& clock_;
    AudioSink& sink_;
    SessionEvents& events_;
    const std::atomic<bool>& stop_;
    SessionLimits limits_;
    // A station from the directory: the candidate being tried, reported once it plays.
    std::string candidate_;
    bool audioStarted_ = false;
};

}  // namespace sonorin::radio
