#include "win32/mci_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "../fakes/fake_prompts.h"
#include "recorder/modWave.h"
#include "win32/filesystem_win32.h"

namespace sonorin {
namespace {

TEST(Win32MciTest, RepliesAndErrorCodesComeBack) {
    Win32Mci mci;
    const MciResult nonsense = mci.send("frobnicate capture now");
    EXPECT_NE(nonsense.code, 0u);
    EXPECT_EQ(nonsense.reply, "");
    EXPECT_NE(mci.send("status h3mci_none length").code, 0u);  // no such alias

    const MciResult open = mci.send("open new type waveaudio alias h3mci");
    if (open.code != 0)
        GTEST_SKIP() << "no waveaudio device here (MCI error " << open.code << ")";
    EXPECT_EQ(mci.send("status h3mci mode").reply, "stopped");
    EXPECT_EQ(mci.send("set h3mci alignment 1 bitspersample 8 samplespersec 8000 channels 1 "
                       "bytespersec 8000")
                  .code,
              0u);
    EXPECT_EQ(mci.send("status h3mci bitspersample").reply, "8");
    EXPECT_EQ(mci.send("status h3mci samplespersec").reply, "8000");
    const MciResult set = mci.send("set h3mci time format ms");
    EXPECT_EQ(set.code, 0u);
    EXPECT_EQ(set.reply, "");
    // An empty device has length and position 0, as on Windows.
    const MciResult length = mci.send("status h3mci length");
    EXPECT_EQ(length.code, 0u);
    EXPECT_EQ(length.reply, "0");
    EXPECT_EQ(mci.send("status h3mci position").reply, "0");
    EXPECT_EQ(mci.send("close h3mci").code, 0u);
    EXPECT_NE(GetModuleHandleW(L"mciwave.dll"), nullptr)
        << "closed, the driver stays for the next open";
}

TEST(Win32MciTest, AFreshDeviceIsDescribedWithoutFailures) {
    Win32Mci mci;
    Win32FileSystem fs;
    FakePrompts prompts;
    RecorderState state;
    modWave wave(mci, fs, prompts, state);
    wave.OpenCaptureDevice();
    if (!prompts.boxes.empty())
        GTEST_SKIP() << "no waveaudio device here";
    wave.ApplyCaptureFormat();
    wave.DescribeRecording();
    wave.UpdateRecorderStatus();
    wave.CloseCaptureDevice();
    EXPECT_TRUE(prompts.boxes.empty()) << prompts.boxes.front().text;
    EXPECT_EQ(state.WaveDescription,
              "时长: 0秒( 0字节)\r\n 立体声 -  16 bits -  44100 samples per second \r\n\r\n");
    EXPECT_EQ(state.WaveStatus, "AudioRecorder: 停止");
}

}  // namespace
}  // namespace sonorin
