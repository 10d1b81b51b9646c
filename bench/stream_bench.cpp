// Parsing cost of a minute of 128 kbit/s station stream on the host: ICY metadata stripping
// and frame cutting for MP3 and ADTS (the decoders are the system's and are measured by
// decode_bench_win32.cpp under Windows or Wine).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "radio/player/frames.h"
#include "radio/player/icy.h"

namespace {

using namespace sonorin::radio;

// A minute of 128 kbit/s: 960 KB of back-to-back frames of the given kind.
std::vector<std::uint8_t> minuteOf(Codec codec) {
    std::vector<std::uint8_t> frame;
    if (codec == Codec::Mp3) {
        frame.assign(417, 0x55);
        frame[0] = 0xFF, frame[1] = 0xFB, frame[2] = 0x90, frame[3] = 0x00;
    } else {
        const int size = 371;  // 1024 samples at 44.1 kHz and 128 kbit/s
        frame.assign(std::size_t(size), 0x33);
        frame[0] = 0xFF, frame[1] = 0xF1, frame[2] = 0x50;
        frame[3] = std::uint8_t(0x80 | (size >> 11));
        frame[4] = std::uint8_t((size >> 3) & 0xFF);
        frame[5] = std::uint8_t(((size & 7) << 5) | 0x1F);
        frame[6] = 0xFC;
    }
    std::vector<std::uint8_t> stream;
    while (stream.size() < 128000 / 8 * 60)
        stream.insert(stream.end(), frame.begin(), frame.end());
    return stream;
}

void parseMinute(benchmark::State& state, Codec codec) {
    const std::vector<std::uint8_t> minute = minuteOf(codec);
    std::vector<std::uint8_t> audio;
    for (auto _ : state) {
        IcyStripper icy(16000);  // the stream has no metadata, the stripper still counts
        FrameReader reader(codec);
        std::size_t frames = 0;
        for (std::size_t at = 0; at < minute.size(); at += 4096) {
            audio.clear();
            icy.feed({minute.data() + at, std::min<std::size_t>(4096, minute.size() - at)}, audio);
            reader.push(audio);
            while (reader.next())
                ++frames;
        }
        benchmark::DoNotOptimize(frames);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(minute.size()));
}

void BM_ParseMinuteOfMp3(benchmark::State& state) {
    parseMinute(state, Codec::Mp3);
}
void BM_ParseMinuteOfAac(benchmark::State& state) {
    parseMinute(state, Codec::Aac);
}
BENCHMARK(BM_ParseMinuteOfMp3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseMinuteOfAac)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
