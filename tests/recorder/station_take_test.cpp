// The station take on its own: the wall clock's length whatever the station sends, a bounded
// hold of early sound, parts beyond the size limit, and a file that can no longer be written.
// Stopping before the disk is full is seen where the user sees it (the recorder window).
#include "recorder/station_take.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "fakes/fake_filesystem.h"

namespace sonorin {
namespace {

constexpr int kRate = 8000;  // frames per second of the 8 kHz mono takes below

std::uint32_t le32At(const std::string& bytes, std::size_t at) {
    std::uint32_t v = 0;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}

class StationTakeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs.addFile("C:\\rec\\keep.txt");
        limits.lateMs = 500;
    }
    void start() {
        take = std::make_unique<StationTake>(fs, limits);
        ASSERT_TRUE(take->start(path, {kRate, 1, 16}, now));
    }
    // Seconds of 8 kHz mono in which sample n is first + n.
    void feed(double seconds, int first) {
        std::vector<std::int16_t> samples(static_cast<std::size_t>(seconds * kRate));
        for (std::size_t n = 0; n < samples.size(); ++n)
            samples[n] = static_cast<std::int16_t>(first + static_cast<int>(n));
        take->decoded({1, kRate, 16}, reinterpret_cast<const std::uint8_t*>(samples.data()),
                      samples.size() * 2);
    }
    // Lets ms pass in the monitor's steps of 200 ms; the first way the take ended by itself.
    StationTake::Ended run(int ms) {
        for (int t = 0; t < ms; t += 200) {
            now += 200;
            if (const auto ended = take->pump(now); ended != StationTake::Ended::No)
                return ended;
        }
        return StationTake::Ended::No;
    }
    // The samples of a file, after checking that its header is whole and up to date.
    std::vector<std::int16_t> samples(const std::string& file) {
        const std::string bytes = fs.content(file).value_or("");
        EXPECT_GE(bytes.size(), 44u);
        EXPECT_EQ(bytes.substr(0, 4), "RIFF");
        EXPECT_EQ(le32At(bytes, 40), bytes.size() - 44) << file;
        EXPECT_EQ(le32At(bytes, 4), bytes.size() - 8) << file;
        std::vector<std::int16_t> out((bytes.size() - 44) / 2);
        std::memcpy(out.data(), bytes.data() + 44, out.size() * 2);
        return out;
    }
    static void expectRun(const std::vector<std::int16_t>& s, std::size_t from, std::size_t count,
                          int first) {
        ASSERT_GE(s.size(), from + count);
        for (std::size_t i = 0; i < count; ++i)
            ASSERT_EQ(s[from + i], static_cast<std::int16_t>(first + static_cast<int>(i)))
                << "at " << from + i;
    }

    FakeFileSystem fs;
    StationTake::Limits limits;
    std::unique_ptr<StationTake> take;
    const std::string path = "C:\\rec\\t_录制中.wav";
    std::int64_t now = 0;
};

TEST_F(StationTakeTest, KeepsTheWallClockLengthWithSilenceWhereTheStationSentNothing) {
    start();
    feed(1, 1);
    run(1000);
    run(2000);  // the station is gone
    // Playable as it grows: the header is at most two seconds behind the file.
    const std::string growing = *fs.content(path);
    EXPECT_GE(le32At(growing, 40) + 2 * kRate * 2, growing.size() - 44);
    feed(1, 10001);  // back, a second of sound in one burst
    run(1000);
    take->stop(now);

    const auto s = samples(path);
    ASSERT_EQ(s.size(), 4u * kRate) << "four seconds of wall clock";
    expectRun(s, 0, kRate, 1);
    // Silence once the sound was half a second late, the station's sound after it.
    for (std::size_t i = kRate; i < 20000; ++i)
        ASSERT_EQ(s[i], 0) << i;
    expectRun(s, 20000, kRate, 10001);
    for (std::size_t i = 28000; i < s.size(); ++i)
        ASSERT_EQ(s[i], 0) << i;
}

TEST_F(StationTakeTest, SoundFarAheadOfTheFileIsHeldOnlyUpToItsBound) {
    limits.heldMs = 1000;
    start();
    feed(3, 1);  // three seconds at once: only the last one is held
    run(2000);
    take->stop(now);
    const auto s = samples(path);
    ASSERT_EQ(s.size(), 2u * kRate);
    expectRun(s, 0, kRate, 1 + 2 * kRate);
}

TEST_F(StationTakeTest, GoesOnInANewPartAtTheSizeLimit) {
    limits.partBytes = kRate * 2 + 1;  // a second of sound per part (rounded to whole frames)
    start();
    for (int second = 0; second < 3; ++second) {
        feed(1, 1 + second * kRate);
        run(1000);
    }
    take->stop(now);
    ASSERT_EQ(take->parts(), (std::vector<std::string>{path, "C:\\rec\\t_录制中_2.wav",
                                                       "C:\\rec\\t_录制中_3.wav"}));
    for (int part = 0; part < 3; ++part) {
        const auto s = samples(take->parts()[static_cast<std::size_t>(part)]);
        ASSERT_EQ(s.size(), std::size_t{kRate});
        expectRun(s, 0, kRate, 1 + part * kRate);
    }
    EXPECT_EQ(take->lengthMs(), 3000);
}

TEST_F(StationTakeTest, AFileThatCannotBeWrittenEndsTheTake) {
    start();
    feed(1, 1);
    run(400);
    fs.removeFolder("C:\\rec");  // the folder is deleted under the take
    EXPECT_EQ(run(600), StationTake::Ended::WriteFailed);
    EXPECT_FALSE(take->recording());
}

// The computer sleeps through a take: its clock jumps by hours. The take pauses over the
// jump instead of writing it as silence in one go (gigabytes, past the end of the disk), and
// goes on after it; a stop right after waking adds nothing either.
TEST_F(StationTakeTest, ASleepOfTheComputerIsAPauseInTheTake) {
    constexpr std::int64_t kNightMs = 8 * 3600 * 1000;
    fs.diskBytes = 1 << 20;  // about a minute of the take
    limits.spareBytes = 1000;
    start();
    feed(1, 1);
    run(1000);
    now += kNightMs;
    feed(1, 10001);
    EXPECT_EQ(run(1000), StationTake::Ended::No);
    now += kNightMs;
    take->stop(now);
    const auto s = samples(path);
    ASSERT_GT(s.size(), std::size_t{kRate});
    ASSERT_LT(s.size(), 3u * kRate) << "nothing of the nights";
    expectRun(s, 0, kRate, 1);
    expectRun(s, kRate, s.size() - kRate, 10001);
}

TEST(PcmConverterTest, ConvertsRateChannelsAndBitsAcrossChunksAndFormatChanges) {
    std::string out;
    // 11025 Hz mono ramp to 44100 Hz stereo: four output frames per input frame, interpolated
    // across the chunk boundary.
    PcmConverter up({44100, 2, 16});
    const std::int16_t ramp[] = {0, 400, 800, 1200};
    up.convert({1, 11025, 16}, reinterpret_cast<const std::uint8_t*>(ramp), 4, out);
    up.convert({1, 11025, 16}, reinterpret_cast<const std::uint8_t*>(ramp + 2), 4, out);
    std::vector<std::int16_t> got(out.size() / 2);
    std::memcpy(got.data(), out.data(), out.size());
    ASSERT_EQ(got.size(), 24u);  // frames 0 to 1100 by 100, each on both channels
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(got[i], static_cast<std::int16_t>(100 * (i / 2))) << i;

    // 44100 Hz stereo to 22050 Hz 8-bit mono: half the frames, the channels' mean.
    PcmConverter down({22050, 1, 8});
    out.clear();
    const std::int16_t stereo[] = {1000, 3000, 1000, 3000, 1000, 3000, 1000, 3000};
    down.convert({2, 44100, 16}, reinterpret_cast<const std::uint8_t*>(stereo), 16, out);
    EXPECT_EQ(out, std::string(2, static_cast<char>(128 + 2000 / 256)));
    // The stream changes to mono at the take's own rate: taken as it is, from its first frame.
    out.clear();
    const std::int16_t mono[] = {-512, 512};
    down.convert({1, 22050, 16}, reinterpret_cast<const std::uint8_t*>(mono), 4, out);
    EXPECT_EQ(out, std::string({static_cast<char>(126), static_cast<char>(130)}));

    // A tone the lower rate cannot hold is damped, not folded back at full strength.
    PcmConverter toEight({8000, 1, 16});
    std::vector<std::int16_t> highest(4410);
    for (std::size_t i = 0; i < highest.size(); ++i)
        highest[i] = i % 2 ? -10000 : 10000;
    out.clear();
    toEight.convert({1, 44100, 16}, reinterpret_cast<const std::uint8_t*>(highest.data()),
                    highest.size() * 2, out);
    ASSERT_EQ(out.size(), 800u * 2);                 // a tenth of a second
    for (std::size_t i = 2; i < out.size(); i += 2)  // after the first frame, taken as it is
        EXPECT_LE(std::abs(static_cast<std::int16_t>((out[i] & 0xFF) | (out[i + 1] << 8))), 2000)
            << i;
}

}  // namespace
}  // namespace sonorin
