// The recording engine against Wine's (or Windows') real waveaudio device: the test plays a
// known stereo tone through waveOut, records it through MCI and checks the saved WAV.
// Needs a sound server whose capture source hears the playback (under Wine: PulseAudio with
// a null sink as default sink and its monitor as default source, PULSE_SERVER set).
#include <windows.h>

// After windows.h, which it needs.
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "../fakes/fake_prompts.h"
#include "win32/filesystem_win32.h"
#include "win32/mci_win32.h"
#include "win32/wide.h"
#include "recorder/modWave.h"

namespace sonorin {
namespace {

constexpr int kRate = 44100;
// Both periods divide the rate (100 and 70 frames), so the pair repeats every 700 frames.
constexpr double kLeftHz = 441.0;
constexpr double kRightHz = 630.0;
constexpr int kPeriodFrames = 700;
constexpr double kAmplitude = 12000.0;

std::int16_t tone(std::int64_t frame, int channel) {
    const double hz = channel == 0 ? kLeftHz : kRightHz;
    return static_cast<std::int16_t>(
        std::lround(kAmplitude * std::sin(2 * std::numbers::pi * hz * double(frame) / kRate)));
}

// Plays the tone on the default output until destroyed.
class TonePlayer {
  public:
    explicit TonePlayer(int seconds) : samples_(std::size_t(seconds) * kRate * 2) {
        for (std::size_t i = 0; i < samples_.size(); ++i) {
            samples_[i] = tone(std::int64_t(i / 2), int(i % 2));
        }
        WAVEFORMATEX format = {};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = 2;
        format.nSamplesPerSec = kRate;
        format.wBitsPerSample = 16;
        format.nBlockAlign = 4;
        format.nAvgBytesPerSec = kRate * 4;
        if (waveOutOpen(&out_, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
            out_ = nullptr;
            return;
        }
        header_.lpData = reinterpret_cast<LPSTR>(samples_.data());
        header_.dwBufferLength = DWORD(samples_.size() * sizeof(std::int16_t));
        waveOutPrepareHeader(out_, &header_, sizeof(header_));
        playing_ = waveOutWrite(out_, &header_, sizeof(header_)) == MMSYSERR_NOERROR;
    }
    ~TonePlayer() {
        if (!out_)
            return;
        waveOutReset(out_);
        waveOutUnprepareHeader(out_, &header_, sizeof(header_));
        waveOutClose(out_);
    }
    bool playing() const { return playing_; }

  private:
    std::vector<std::int16_t> samples_;
    HWAVEOUT out_ = nullptr;
    WAVEHDR header_ = {};
    bool playing_ = false;
};

struct Wav {
    int channels = 0;
    int rate = 0;
    int bits = 0;
    std::vector<std::int16_t> samples;  // 16-bit files only
};

std::optional<Wav> readWav(const std::string& path) {
    std::ifstream in(std::filesystem::path(win32::wide(path)), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto u32 = [&](std::size_t at) {
        return std::uint32_t(std::uint8_t(bytes[at])) |
               std::uint32_t(std::uint8_t(bytes[at + 1])) << 8 |
               std::uint32_t(std::uint8_t(bytes[at + 2])) << 16 |
               std::uint32_t(std::uint8_t(bytes[at + 3])) << 24;
    };
    auto u16 = [&](std::size_t at) {
        return int(std::uint8_t(bytes[at])) | int(std::uint8_t(bytes[at + 1])) << 8;
    };
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) {
        return std::nullopt;
    }
    Wav wav;
    bool haveData = false;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id = bytes.substr(at, 4);
        const std::size_t size = u32(at + 4);
        const std::size_t body = at + 8;
        if (body + size > bytes.size())
            return std::nullopt;
        if (id == "fmt " && size >= 16) {
            wav.channels = u16(body + 2);
            wav.rate = int(u32(body + 4));
            wav.bits = u16(body + 14);
        } else if (id == "data") {
            haveData = true;
            if (wav.bits == 16) {
                for (std::size_t i = 0; i + 1 < size; i += 2) {
                    wav.samples.push_back(std::int16_t(u16(body + i)));
                }
            }
        }
        at = body + size + (size & 1);
    }
    if (!haveData || wav.channels == 0)
        return std::nullopt;
    return wav;
}

// Counts the frames that match the tone. A busy machine can make the player skip, which moves
// the tone's phase, so the phase is found afresh for every block of a tenth of a second.
std::size_t framesMatchingTone(const std::vector<std::int16_t>& samples) {
    const std::size_t frames = samples.size() / 2;
    const std::size_t block = kRate / 10;
    std::size_t matching = 0;
    for (std::size_t first = 0; first + kPeriodFrames <= frames; first += block) {
        const std::size_t last = std::min(frames, first + block);
        int bestShift = 0;
        double bestError = -1;
        for (int shift = 0; shift < kPeriodFrames; ++shift) {
            double error = 0;
            for (std::size_t f = first; f < first + kPeriodFrames; ++f) {
                for (int c = 0; c < 2; ++c) {
                    const double d = double(samples[2 * f + c]) - tone(std::int64_t(f) + shift, c);
                    error += d * d;
                }
            }
            if (bestError < 0 || error < bestError) {
                bestError = error;
                bestShift = shift;
            }
        }
        for (std::size_t f = first; f < last; ++f) {
            if (std::abs(samples[2 * f] - tone(std::int64_t(f) + bestShift, 0)) <= 4 &&
                std::abs(samples[2 * f + 1] - tone(std::int64_t(f) + bestShift, 1)) <= 4) {
                ++matching;
            }
        }
    }
    return matching;
}

std::string tempFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, buffer);
    return win32::narrow(buffer);
}

class EngineWin32Test : public ::testing::Test {
  protected:
    void SetUp() override {
        if (std::getenv("PULSE_SERVER") == nullptr) {
            GTEST_SKIP() << "no audio: PULSE_SERVER is not set, so nothing the test plays "
                            "could be recorded";
        }
        ASSERT_TRUE(fs.createFolder(folder));
        ASSERT_TRUE(fs.createFolder(folder + "\\含 空格"));
    }
    void TearDown() override {
        mci.send("close all");
        for (const std::string& name :
             {folder + "\\录音_测试.wav", folder + "\\含 空格\\rec 1.wav"}) {
            DeleteFileW(win32::wide(name).c_str());
        }
        if (!state.SavedShortName.empty())
            DeleteFileW(win32::wide(state.SavedShortName).c_str());
        RemoveDirectoryW(win32::wide(folder + "\\含 空格").c_str());
        RemoveDirectoryW(win32::wide(folder).c_str());
    }

    // Records for the given time. Waits after the stop: closing the device within about half
    // a second of a stop can crash Wine's winmm.
    void recordTake(DWORD milliseconds) {
        wave.OpenCaptureDevice();
        wave.ApplyCaptureFormat();
        wave.StartRecording();
        Sleep(milliseconds);
        wave.StopRecording();
        Sleep(600);
    }

    Win32Mci mci;
    Win32FileSystem fs;
    FakePrompts prompts;
    RecorderState state;
    modWave wave{mci, fs, prompts, state};
    const std::string folder = tempFolder() + "sonorin_h3_" + std::to_string(GetCurrentProcessId());
};

TEST_F(EngineWin32Test, RecordsWhatTheSoundCardPlaysAndSavesIt) {
    // The first capture after the sound server starts begins late; a throw-away take first
    // makes the measured one start on time.
    recordTake(1000);
    TonePlayer player(6);
    ASSERT_TRUE(player.playing()) << "waveOut could not play the test tone";
    Sleep(300);
    recordTake(2000);

    const std::int32_t position = wave.GetCapturePosition();
    EXPECT_GE(position, 1900);
    EXPECT_LE(position, 2700);
    wave.UpdateRecorderStatus();
    EXPECT_EQ(state.WaveStatus, "AudioRecorder: 停止");

    const std::string path = folder + "\\录音_测试.wav";
    EXPECT_TRUE(wave.SaveRecording(path));
    EXPECT_FALSE(state.RenamePending);
    // The save measures the written file against the take's length, which the device must
    // therefore know after the save.
    mci.send("set capture time format bytes");
    EXPECT_GE(parseMciNumber(mci.send("status capture length").reply), 4 * kRate * 19 / 10);
    wave.DescribeRecording();
    const std::string format = "\r\n 立体声 -  16 bits -  44100 samples per second \r\n\r\n";
    ASSERT_GE(state.WaveDescription.size(), format.size());
    EXPECT_EQ(state.WaveDescription.substr(state.WaveDescription.size() - format.size()), format);
    EXPECT_TRUE(prompts.texts().empty()) << prompts.texts().front();

    const auto wav = readWav(path);
    ASSERT_TRUE(wav.has_value()) << "no WAV file at " << path;
    EXPECT_EQ(wav->channels, 2);
    EXPECT_EQ(wav->rate, 44100);
    EXPECT_EQ(wav->bits, 16);
    const std::size_t frames = wav->samples.size() / 2;
    EXPECT_GE(frames, std::size_t(kRate * 19 / 10));
    EXPECT_LE(frames, std::size_t(kRate * 27 / 10));
    // The capture path is bit-exact. Wine captures in 1/3-second buffers, so allow that much
    // of something else (silence before the tone reached the sink), and as much again for
    // the player skipping on a loaded machine.
    EXPECT_GE(framesMatchingTone(wav->samples), frames - 2 * kRate / 3);
}

TEST_F(EngineWin32Test, ANameWithABlankEndsWithItsLongNameAfterClose) {
    state.Rate = 22050;
    state.Channels = 1;
    state.Resolution = 8;
    recordTake(1000);

    const std::string path = folder + "\\含 空格\\rec 1.wav";
    wave.SaveRecording(path);
    if (state.RenamePending) {
        EXPECT_EQ(state.SavedLongName, path);
        EXPECT_EQ(state.SavedShortName.find(' '), std::string::npos);
        EXPECT_EQ(fs.findFirst(path, false), "");  // still under its short name
    }
    wave.CloseCaptureDevice();
    wave.FinishPendingRename();
    EXPECT_FALSE(state.RenamePending);
    EXPECT_TRUE(prompts.texts().empty()) << prompts.texts().front();

    EXPECT_EQ(fs.findFirst(path, false), "rec 1.wav");
    EXPECT_EQ(fs.findFirst(folder + "\\含 空格\\", false), "rec 1.wav");  // the only file
    const auto wav = readWav(path);
    ASSERT_TRUE(wav.has_value());
    EXPECT_EQ(wav->channels, 1);
    EXPECT_EQ(wav->rate, 22050);
    EXPECT_EQ(wav->bits, 8);
}

}  // namespace
}  // namespace sonorin
