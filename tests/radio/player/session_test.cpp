#include "radio/player/session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <iterator>
#include <map>
#include <optional>

#include "radio/player/stream_bytes.h"

namespace sonorin::radio {
namespace {

using namespace testing;

class FakeClock : public SessionClock {
  public:
    std::int64_t nowMs() override { return now; }
    void sleep(std::int64_t ms) override {
        now += ms;
        if (onSleep)
            onSleep();
    }
    std::int64_t now = 0;
    std::function<void()> onSleep;
};

// One step of a scripted answer: bytes, or a second of nothing, or the end, or a break.
struct Step {
    ReadResult result;
    Bytes data;
};
Step data(Bytes b) {
    return {ReadResult::Data, std::move(b)};
}
const Step kWait{ReadResult::Wait, {}};
const Step kEnd{ReadResult::End, {}};
const Step kError{ReadResult::Error, {}};

struct Script {
    HttpAnswer answer;
    std::vector<Step> steps;  // after the last one: nothing, for ever
};

class ScriptedConnection : public Connection {
  public:
    ScriptedConnection(Script script, FakeClock& clock, std::function<void()> onRead)
        : script_(std::move(script)), clock_(clock), onRead_(std::move(onRead)) {}
    const HttpAnswer& answer() const override { return script_.answer; }
    ReadResult read(std::uint8_t* into, std::size_t capacity, std::size_t& got) override {
        got = 0;
        if (onRead_)
            onRead_();
        if (next_ >= script_.steps.size()) {
            clock_.now += 1000;
            return ReadResult::Wait;
        }
        Step& step = script_.steps[next_];
        if (step.result == ReadResult::Wait) {
            clock_.now += 1000;
            ++next_;
            return ReadResult::Wait;
        }
        clock_.now += 100;
        if (step.result != ReadResult::Data) {
            ++next_;
            return step.result;
        }
        got = std::min(capacity, step.data.size() - offset_);
        std::copy_n(step.data.begin() + std::ptrdiff_t(offset_), got, into);
        offset_ += got;
        if (offset_ == step.data.size()) {
            offset_ = 0;
            ++next_;
        }
        return ReadResult::Data;
    }

  private:
    Script script_;
    FakeClock& clock_;
    std::function<void()> onRead_;
    std::size_t next_ = 0;
    std::size_t offset_ = 0;
};

// Each address answers with its scripts in turn, one per connection; unknown addresses,
// used-up scripts and scripts of status 0 cannot be reached.
class FakeTransport : public Transport {
  public:
    explicit FakeTransport(FakeClock& clock) : clock_(clock) {}
    std::unique_ptr<Connection> open(const std::string& url) override {
        opened.push_back(url);
        openedAt.push_back(clock_.now);
        auto& queue = scripts[url];
        if (queue.empty())
            return nullptr;
        Script script = std::move(queue.front());
        queue.pop_front();
        if (script.answer.status == 0)
            return nullptr;  // a script that stands for a refused connection
        return std::make_unique<ScriptedConnection>(std::move(script), clock_, onRead);
    }
    std::map<std::string, std::deque<Script>> scripts;
    std::vector<std::string> opened;
    std::vector<std::int64_t> openedAt;
    std::function<void()> onRead;

  private:
    FakeClock& clock_;
};

class FakeSink : public AudioSink {
  public:
    SinkResult frame(const FrameView& frame) override {
        frames.push_back(frame.info.codec);
        if (output) {
            if (playedUntil > 0 && output->now > playedUntil)
                ++gaps;
            playedUntil = std::max(playedUntil, output->now) +
                          1000 * frame.info.samples / frame.info.sampleRate;
            output->now = std::max(output->now, playedUntil - 1600);  // full: waits for room
        }
        return result;
    }
    std::optional<std::int64_t> queuedMs() const override {
        if (!output)
            return std::nullopt;
        return std::max<std::int64_t>(0, playedUntil - output->now);
    }
    SinkResult pcm(const PcmFormat& format, const std::uint8_t*, std::size_t size) override {
        pcmFormat = format;
        pcmBytes += size;
        return result;
    }
    void finish() override { ++finished; }
    void discard() override { ++discarded; }
    std::vector<Codec> frames;
    std::optional<PcmFormat> pcmFormat;
    std::size_t pcmBytes = 0;
    int finished = 0;
    int discarded = 0;
    SinkResult result = SinkResult::Played;
    // With a clock: plays in real time and holds 1.6 s like the Windows output, and counts
    // the times it ran dry once it had started.
    FakeClock* output = nullptr;
    std::int64_t playedUntil = 0;
    int gaps = 0;
};

class RecordingEvents : public SessionEvents {
  public:
    void changed(PlayerState state, const std::string& status) override {
        states.push_back(state);
        texts.push_back(status);
    }
    void title(const std::string& title) override { titles.push_back(title); }
    void addressFound(const std::string& url) override { found.push_back(url); }
    std::vector<PlayerState> states;
    std::vector<std::string> texts;
    std::vector<std::string> titles;
    std::vector<std::string> found;
};

HttpAnswer audioAnswer(std::string type = "audio/mpeg", long long length = -1) {
    return {200, std::move(type), "", length, 0};
}

class StreamSessionTest : public ::testing::Test {
  protected:
    void play(const std::string& address, const std::string& name = "电台") {
        StreamSession session(transport, clock, sink, events, stop, limits);
        session.run({name, address}, "http://dir");
    }
    void serve(const std::string& url, Script script) {
        transport.scripts[url].push_back(std::move(script));
    }
    const std::string& lastText() const { return events.texts.back(); }
    // The HLS segments asked for, by name.
    std::vector<std::string> segmentsOpened() const {
        std::vector<std::string> segments;
        for (const std::string& url : transport.opened) {
            if (url.ends_with(".aac"))
                segments.push_back(url.substr(url.rfind('/') + 1));
        }
        return segments;
    }

    FakeClock clock;
    FakeTransport transport{clock};
    FakeSink sink;
    RecordingEvents events;
    std::atomic<bool> stop{false};
    SessionLimits limits;
    const Bytes second = repeat(mp3Frame(), 38);  // about a second of 128 kbit/s MP3
};

TEST_F(StreamSessionTest, AFileOfKnownLengthPlaysToTheEnd) {
    const Bytes file = bytes("ID3\x03\x00\x00\x00\x00\x00\x02xy") + second;
    serve("http://s/a.mp3", {audioAnswer("audio/mpeg", (long long)file.size()),
                             {data(Bytes(file.begin(), file.begin() + 1000)),
                              data(Bytes(file.begin() + 1000, file.end())), kEnd}});
    play("http://s/a.mp3");
    EXPECT_EQ(sink.frames.size(), 38u);
    EXPECT_EQ(sink.finished, 1);
    EXPECT_EQ(events.states,
              (std::vector<PlayerState>{PlayerState::Connecting, PlayerState::Playing,
                                        PlayerState::Stopped}));
    EXPECT_EQ(lastText(), status::kFinished);
    EXPECT_TRUE(events.found.empty());
}

TEST_F(StreamSessionTest, ABrokenStationIsTriedAgainWithGrowingWaitsUntilItPlaysOrTenMinutesPass) {
    const std::string live = "http://s/live";
    // Nine seconds of nothing is no stall; ten are.
    std::vector<Step> first{data(second)};
    first.insert(first.end(), 9, kWait);
    first.push_back(data(second));
    serve(live, {audioAnswer(), first});
    serve(live, {{0, "", "", -1, 0}, {}});  // refused
    serve(live, {{404, "text/html", "", -1, 0}, {data(bytes("<html>"))}});
    serve(live, {audioAnswer(), {}});  // answers, then sends nothing
    serve(live, {{503, "text/html", "", -1, 0}, {}});
    serve(live, {audioAnswer(), {data(second), kEnd}});  // back, then cut for good
    play(live);

    EXPECT_EQ(sink.frames.size(), 3 * 38u);
    EXPECT_EQ(sink.discarded, 0);  // what was queued plays out
    ASSERT_GT(transport.openedAt.size(), 8u);
    EXPECT_GE(transport.openedAt[1], 20000);  // the stall, then a second's wait
    EXPECT_LT(transport.openedAt[1], 21500);
    std::vector<std::int64_t> gaps;
    for (std::size_t i = 2; i <= 5; ++i)
        gaps.push_back(transport.openedAt[i] - transport.openedAt[i - 1]);
    // 2 s, 4 s, the silent answer's 10 s and 8 s, 16 s.
    EXPECT_EQ(gaps, (std::vector<std::int64_t>{2000, 4000, 18000, 16000}));
    const std::vector<std::string> firstBreak(events.texts.begin(), events.texts.begin() + 8);
    EXPECT_EQ(firstBreak,
              (std::vector<std::string>{
                  status::kConnecting, status::kPlaying, "连接中断，正在重新连接…（第 1 次）",
                  status::reconnecting(2), status::reconnecting(3), status::reconnecting(4),
                  status::reconnecting(5), status::kPlaying}));
    // Heard again: the count starts over; the waits grow to 30 s; after ten minutes of failing
    // the station is given up.
    EXPECT_EQ(events.texts[8], status::reconnecting(1));
    const std::size_t opens = transport.openedAt.size();
    EXPECT_EQ(transport.openedAt[opens - 1] - transport.openedAt[opens - 2], 30000);
    const std::int64_t cut = transport.openedAt[5];
    EXPECT_GE(clock.now - cut, 600000);
    EXPECT_LT(clock.now - cut, 631000);
    EXPECT_EQ(events.texts[events.texts.size() - 2], status::reconnecting(int(opens) - 6));
    EXPECT_EQ(lastText(), status::kInterrupted);
    EXPECT_EQ(events.states.back(), PlayerState::Failed);
}

TEST_F(StreamSessionTest, AStopEndsTheReconnectingAtOnce) {
    serve("http://s/live", {audioAnswer(), {data(second), kError}});
    clock.onSleep = [&] {
        if (clock.now >= 2500)
            stop = true;
    };
    play("http://s/live");
    // Tried once after a second; the stop came during the two seconds' wait.
    EXPECT_EQ(transport.opened.size(), 2u);
    EXPECT_LT(clock.now, 2600);
    EXPECT_EQ(events.texts.back(), status::reconnecting(2));
    EXPECT_EQ(events.states.back(), PlayerState::Connecting);  // a stop is not reported
}

TEST_F(StreamSessionTest, FailuresGiveAShortStatus) {
    struct Case {
        std::optional<Script> script;
        std::string status;
    };
    const std::vector<Case> cases{
        {std::nullopt, status::kUnreachable},
        {Script{{404, "text/html", "", -1, 0}, {data(bytes("<html>"))}}, "电台返回错误（404）"},
        {Script{audioAnswer("text/html"), {data(bytes("<!DOCTYPE html><p>hello")), kEnd}},
         status::kNotAudio},
        {Script{audioAnswer("application/vnd.apple.mpegurl"),
                {data(bytes("#EXTM3U\n#EXT-X-TARGETDURATION:6\n#EXT-X-KEY:METHOD=AES-128,URI=\"k\"\n"
                            "seg1.ts\n")),
                 kEnd}},
         status::kHlsEncrypted},
        {Script{audioAnswer(), {}}, status::kInterrupted},  // connects, sends nothing
        {Script{audioAnswer(), {data(Bytes(1000, 0x20)), kEnd}}, status::kNotAudio},
        {Script{audioAnswer("audio/ogg"), {data(bytes("OggS") + Bytes(200, 1)), kEnd}},
         "不支持 Ogg 格式的电台"},
        {Script{audioAnswer("audio/x-mpegurl"), {data(bytes("#EXTM3U\n")), kEnd}},
         status::kEmptyPlaylist},
    };
    for (const Case& c : cases) {
        transport.scripts.clear();
        if (c.script)
            serve("http://s/x", *c.script);
        events = {};
        play("http://s/x");
        ASSERT_FALSE(events.texts.empty());
        EXPECT_EQ(lastText(), c.status);
        EXPECT_EQ(events.states.back(), PlayerState::Failed);
    }
    // Frames the decoder cannot take.
    transport.scripts.clear();
    serve("http://s/x", {audioAnswer(), {data(second), data(second)}});
    sink.result = SinkResult::Undecodable;
    play("http://s/x");
    EXPECT_EQ(lastText(), status::kUndecodable);
    // No sound device: said at once.
    transport.scripts.clear();
    serve("http://s/x", {audioAnswer(), {data(second)}});
    sink.frames.clear();
    sink.result = SinkResult::NoOutput;
    play("http://s/x");
    EXPECT_EQ(lastText(), status::kNoOutput);
    EXPECT_EQ(sink.frames.size(), 1u);
}

TEST_F(StreamSessionTest, DataThatNeverReachesSoundFailsAfterTheProbeTime) {
    // A tag claiming 256 MB, then more and more of it at 160 KB/s.
    std::vector<Step> tag{data(bytes(std::string_view("ID3\x03\0\0\x7F\x7F\x7F\x7F", 10)))};
    tag.insert(tag.end(), 600, data(Bytes(16 * 1024, 0x55)));
    serve("http://s/tag", {audioAnswer(), tag});
    play("http://s/tag");
    EXPECT_EQ(lastText(), status::kNoSound);
    EXPECT_EQ(events.states.back(), PlayerState::Failed);
    EXPECT_LE(clock.now, 2 * limits.probeMs + 1000);
    EXPECT_TRUE(sink.frames.empty());
}

TEST_F(StreamSessionTest, PlaylistsLeadToTheFirstEntryThatPlays) {
    serve("http://s/list.pls",
          {{200, "audio/x-scpls", "http://s/radio/list.pls", -1, 0},
           {data(bytes("[playlist]\r\nFile1=http://dead/\r\nFile2=aac\r\nFile3=http://s/3\r\n")),
            kEnd}});
    serve("http://s/radio/aac", {audioAnswer("audio/aacp"), {data(repeat(adtsFrame(), 40)), kEnd}});
    limits.giveUpMs = 0;  // a break ends the station without a reconnect
    play("http://s/list.pls");
    EXPECT_EQ(transport.opened, (std::vector<std::string>{"http://s/list.pls", "http://dead/",
                                                          "http://s/radio/aac"}));
    EXPECT_EQ(sink.frames.size(), 40u);
    EXPECT_EQ(sink.frames.front(), Codec::Aac);
    // The stream ended without a length: it broke, and is not tried again.
    EXPECT_EQ(lastText(), status::kInterrupted);
}

TEST_F(StreamSessionTest, IcyHeadersInTheBodyAndTitles) {
    // The header lines arrive as the body; metadata every 1000 bytes.
    Bytes body = bytes("ICY 200 OK\r\nicy-metaint: 1000\r\n\r\n");
    const Bytes audio = repeat(mp3Frame(), 20);
    for (std::size_t at = 0, block = 0; at < audio.size(); at += 1000, ++block) {
        body.insert(body.end(), audio.begin() + std::ptrdiff_t(at),
                    audio.begin() + std::ptrdiff_t(std::min(at + 1000, audio.size())));
        if (at + 1000 <= audio.size()) {
            const std::string text = block < 3 ? "StreamTitle='早间新闻';" : "StreamTitle='音乐';";
            body.push_back(2);
            Bytes meta = bytes(text);
            meta.resize(32, 0);
            body += meta;
        }
    }
    std::vector<Step> pieces;
    for (std::size_t at = 0; at < body.size(); at += 500) {
        pieces.push_back(
            data(Bytes(body.begin() + std::ptrdiff_t(at),
                       body.begin() + std::ptrdiff_t(std::min(at + 500, body.size())))));
    }
    serve("http://s/icy", {{200, "", "", -1, 0}, pieces});
    transport.onRead = [&] {
        if (sink.frames.size() >= 19)
            stop = true;
    };
    play("http://s/icy");
    EXPECT_GE(sink.frames.size(), 19u);
    EXPECT_EQ(events.titles, (std::vector<std::string>{"早间新闻", "音乐"}));
    // A stop from outside is not reported.
    EXPECT_EQ(events.states.back(), PlayerState::Playing);
}

TEST_F(StreamSessionTest, AStationWithoutAnAddressIsFoundInTheDirectory) {
    serve("http://dir/json/stations/byname/%E6%B5%8B%E8%AF%95",
          {audioAnswer("application/json"),
           {data(bytes(R"([{"url":"http://low/","votes":1},{"url":"http://html/","votes":9},)")),
            data(bytes(R"({"url":"http://dead/","votes":20}])")), kEnd}});
    serve("http://html/", {audioAnswer("text/html"), {data(bytes("<html>")), kEnd}});
    serve("http://low/", {audioAnswer(), {data(second), kEnd}});
    limits.giveUpMs = 0;
    play("", "测试");
    EXPECT_EQ(transport.opened,
              (std::vector<std::string>{"http://dir/json/stations/byname/%E6%B5%8B%E8%AF%95",
                                        "http://dead/", "http://html/", "http://low/"}));
    EXPECT_EQ(events.found, std::vector<std::string>{"http://low/"});
    EXPECT_EQ(events.texts.front(), status::kSearching);

    for (const char* answer : {"[]", "not json"}) {
        transport.scripts.clear();
        serve("http://dir/json/stations/byname/x", {audioAnswer(), {data(bytes(answer)), kEnd}});
        events = {};
        play("", "x");
        EXPECT_EQ(lastText(), std::string(answer) == "[]" ? status::kNotInDirectory
                                                          : status::kDirectoryUnreachable);
        EXPECT_TRUE(events.found.empty());
    }
}

TEST_F(StreamSessionTest, PlainWavIsPlayedAsItsSamples) {
    Bytes wav = bytes("RIFF\xFF\xFF\xFF\xFFWAVEfmt ");
    wav += Bytes{16, 0, 0, 0, 1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0, 4, 0, 16, 0};
    wav += bytes("data");
    wav += Bytes{0xFF, 0xFF, 0xFF, 0xFF};
    wav += Bytes(4001, 7);  // a frame and a byte short of 1001 frames
    serve("http://s/w", {audioAnswer("audio/wav", (long long)wav.size()), {data(wav), kEnd}});
    play("http://s/w");
    ASSERT_TRUE(sink.pcmFormat);
    EXPECT_EQ(*sink.pcmFormat, (PcmFormat{2, 44100, 16}));
    EXPECT_EQ(sink.pcmBytes, 4000u);
    EXPECT_EQ(lastText(), status::kFinished);
}


// A live HLS list of `count` packed-audio segments from number `first`.
Bytes hlsList(int first, int count, std::string_view end = "") {
    std::string list = "#EXTM3U\n#EXT-X-TARGETDURATION:4\n#EXT-X-MEDIA-SEQUENCE:" +
                       std::to_string(first) + "\n";
    for (int n = first; n < first + count; ++n)
        list += "#EXTINF:4,\nseg" + std::to_string(n) + ".aac\n";
    return bytes(list + std::string(end));
}

TEST_F(StreamSessionTest, AnHlsStationPlaysItsNewSegmentsInOrderAndRidesOutAnOutage) {
    const std::string media = "http://s/live/index.m3u8";
    serve("http://s/master.m3u8",
          {audioAnswer("application/vnd.apple.mpegurl"),
           {data(bytes("#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=64000,CODECS=\"mp4a.40.2\"\n"
                       "live/index.m3u8\n")),
            kEnd}});
    serve(media, {audioAnswer(), {data(hlsList(10, 5)), kEnd}});
    serve(media, {audioAnswer(), {data(hlsList(11, 5)), kEnd}});
    serve(media, {{404, "text/html", "", -1, 0}, {kEnd}});
    serve(media, {{0, "", "", -1, 0}, {}});  // refused
    serve(media, {audioAnswer(), {data(hlsList(12, 5, "#EXT-X-ENDLIST\n")), kEnd}});
    const Bytes segment = bytes("ID3\x04") + Bytes(6, 0) + repeat(adtsFrame(), 10);
    for (int n = 10; n <= 16; ++n)
        serve("http://s/live/seg" + std::to_string(n) + ".aac", {audioAnswer(), {data(segment), kEnd}});
    play("http://s/master.m3u8");

    std::vector<std::string> segments;
    for (const std::string& url : transport.opened) {
        if (url.ends_with(".aac"))
            segments.push_back(url.substr(url.rfind('/') + 1));
    }
    // Three behind the live edge, then each new one once, across the outage.
    EXPECT_EQ(segments, (std::vector<std::string>{"seg12.aac", "seg13.aac", "seg14.aac",
                                                  "seg15.aac", "seg16.aac"}));
    EXPECT_EQ(sink.frames, std::vector<Codec>(50, Codec::Aac));
    const std::vector<std::string> expected{status::kConnecting, status::kPlaying,
                                            status::reconnecting(1), status::reconnecting(2),
                                            status::kPlaying, status::kFinished};
    EXPECT_EQ(events.texts, expected);
    EXPECT_EQ(sink.finished, 1);
}

TEST_F(StreamSessionTest, AnHlsVariantThatFailsGivesWayAMissingSegmentIsSkippedAStaleListStalls) {
    serve("http://s/master.m3u8",
          {audioAnswer(),
           {data(bytes("#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=128000,CODECS=\"mp4a.40.2\"\n"
                       "gone/index.m3u8\n#EXT-X-STREAM-INF:BANDWIDTH=64000,CODECS=\"mp4a.40.2\"\n"
                       "live/index.m3u8\n")),
            kEnd}});
    serve("http://s/gone/index.m3u8", {{404, "text/html", "", -1, 0}, {kEnd}});
    for (int i = 0; i < 30; ++i)  // the list never grows again
        serve("http://s/live/index.m3u8", {audioAnswer(), {data(hlsList(1, 3)), kEnd}});
    const Bytes segment = bytes("ID3\x04") + Bytes(6, 0) + repeat(adtsFrame(), 10);
    serve("http://s/live/seg1.aac", {audioAnswer(), {data(segment), kEnd}});
    serve("http://s/live/seg2.aac", {{404, "text/html", "", -1, 0}, {kEnd}});
    serve("http://s/live/seg3.aac", {audioAnswer(), {data(segment), kEnd}});
    clock.onSleep = [&] { stop = events.texts.back() == status::reconnecting(2); };
    play("http://s/master.m3u8");

    EXPECT_EQ(std::count(transport.opened.begin(), transport.opened.end(),
                         "http://s/live/seg2.aac"),
              1);
    EXPECT_EQ(sink.frames.size(), 20u);
    EXPECT_EQ(std::count(events.texts.begin(), events.texts.end(), status::kPlaying), 1);
    // A stall only after the list has stood still for three segments' time.
    EXPECT_GE(clock.now, 12000);
    EXPECT_EQ(events.texts.back(), status::reconnecting(2));
}

TEST_F(StreamSessionTest, AnAnswerThatTricklesIsGivenUpOnceItsTimeIsOut) {
    // A byte every 7 s: never a stall.
    std::vector<Step> trickle;
    for (int i = 0; i < 400; ++i) {
        trickle.insert(trickle.end(), 7, kWait);
        trickle.push_back(data(bytes("#")));
    }
    Script list{audioAnswer("audio/x-mpegurl"), {data(bytes("#EXTM3U\n"))}};
    list.steps.insert(list.steps.end(), trickle.begin(), trickle.end());
    serve("http://s/list.m3u", list);
    play("http://s/list.m3u");
    EXPECT_EQ(lastText(), status::kInterrupted);
    EXPECT_LE(clock.now, limits.wholeAnswerMs + 1000);

    clock.now = 0;
    serve("http://dir/json/stations/byname/x", {audioAnswer("application/json"), trickle});
    play("", "x");
    EXPECT_EQ(lastText(), status::kDirectoryUnreachable);
    EXPECT_LE(clock.now, limits.wholeAnswerMs + 1000);
}

// `n` seconds of AAC behind an ID3 tag, as an HLS segment carries it.
Bytes aacSegment(int seconds = 1) {
    return bytes("ID3\x04") + Bytes(6, 0) + repeat(adtsFrame(), seconds * 43);
}

TEST_F(StreamSessionTest, ALongHlsListIsReadWholeAndPlayedFromItsLiveEdge) {
    const std::string live = "http://s/long.m3u8";
    const Bytes first = hlsList(1, 12000);  // hours of rewind
    ASSERT_GT(first.size(), 256u * 1024);
    serve(live, {audioAnswer("application/vnd.apple.mpegurl"), {data(first), kEnd}});
    serve(live, {audioAnswer(), {data(hlsList(2, 12000, "#EXT-X-ENDLIST\n")), kEnd}});
    for (int n = 11998; n <= 12001; ++n)
        serve("http://s/seg" + std::to_string(n) + ".aac",
              {audioAnswer(), {data(aacSegment()), kEnd}});
    play(live);
    EXPECT_EQ(segmentsOpened(), (std::vector<std::string>{"seg11998.aac", "seg11999.aac",
                                                          "seg12000.aac", "seg12001.aac"}));
    EXPECT_EQ(lastText(), status::kFinished);
}

TEST_F(StreamSessionTest, ARecordedHlsProgrammeTriesASegmentThatBrokeAgain) {
    serve("http://s/rec.m3u8", {audioAnswer(), {data(hlsList(1, 3, "#EXT-X-ENDLIST\n")), kEnd}});
    const Bytes segment = aacSegment();
    serve("http://s/seg1.aac", {audioAnswer(), {data(segment), kEnd}});
    serve("http://s/seg2.aac",
          {audioAnswer(), {data(Bytes(segment.begin(), segment.begin() + 900)), kError}});
    serve("http://s/seg2.aac", {audioAnswer(), {data(segment), kEnd}});
    serve("http://s/seg3.aac", {audioAnswer(), {data(segment), kEnd}});
    play("http://s/rec.m3u8");
    EXPECT_EQ(segmentsOpened(),
              (std::vector<std::string>{"seg1.aac", "seg2.aac", "seg2.aac", "seg3.aac"}));
    EXPECT_EQ(sink.frames.size(), 3 * 43u);
    EXPECT_EQ(events.texts, (std::vector<std::string>{status::kConnecting, status::kPlaying,
                                                      status::reconnecting(1), status::kPlaying,
                                                      status::kFinished}));
}

TEST_F(StreamSessionTest, AnHlsStationThatIsGoneCountsEachTryOnceAtMost30SecondsApart) {
    const std::string list = "http://s/live.m3u8";
    serve(list, {audioAnswer(), {data(hlsList(1, 3)), kEnd}});  // then refused for good
    for (int n = 1; n <= 3; ++n)
        serve("http://s/seg" + std::to_string(n) + ".aac",
              {audioAnswer(), {data(aacSegment()), kEnd}});
    play(list);
    std::vector<std::int64_t> tries;
    for (std::size_t i = 1; i < transport.opened.size(); ++i) {
        if (transport.opened[i] == list)
            tries.push_back(transport.openedAt[i]);
    }
    ASSERT_GT(tries.size(), 10u);
    std::int64_t longest = 0;
    for (std::size_t i = 1; i < tries.size(); ++i)
        longest = std::max(longest, tries[i] - tries[i - 1]);
    EXPECT_EQ(longest, limits.longestRetryMs);
    // Each try but the last (given up) says its number once.
    std::vector<std::string> counted;
    for (std::size_t n = 1; n < tries.size(); ++n)
        counted.push_back(status::reconnecting(int(n)));
    std::vector<std::string> said;
    std::copy_if(events.texts.begin(), events.texts.end(), std::back_inserter(said),
                 [](const std::string& text) { return text.starts_with(status::kReconnecting); });
    EXPECT_EQ(said, counted);
    EXPECT_EQ(lastText(), status::kInterrupted);
}

TEST_F(StreamSessionTest, HlsSegmentsAreFetchedWhileTheLastOnePlays) {
    // Each segment takes 2.2 s to come, more than the output holds.
    sink.output = &clock;
    const std::string live = "http://s/live.m3u8";
    serve(live, {audioAnswer(), {data(hlsList(1, 3)), kEnd}});
    serve(live, {audioAnswer(), {data(hlsList(1, 5, "#EXT-X-ENDLIST\n")), kEnd}});
    for (int n = 1; n <= 5; ++n)
        serve("http://s/seg" + std::to_string(n) + ".aac",
              {audioAnswer(), {kWait, kWait, data(aacSegment(4)), kEnd}});
    play(live);
    EXPECT_EQ(sink.frames.size(), 5 * 4 * 43u);
    EXPECT_EQ(sink.gaps, 0);
    EXPECT_EQ(lastText(), status::kFinished);
}

}  // namespace
}  // namespace sonorin::radio
