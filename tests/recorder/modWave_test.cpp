#include "recorder/modWave.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/app_title.h"
#include "fakes/fake_filesystem.h"
#include "fakes/fake_mci.h"
#include "fakes/fake_prompts.h"
#include "fakes/mci_commands.h"

namespace sonorin {
namespace {

using Strings = std::vector<std::string>;

class ModWaveTest : public ::testing::Test {
  protected:
    FakeMci mci;
    FakeFileSystem fs;
    FakePrompts prompts;
    RecorderState state;
    modWave wave{mci, fs, prompts, state};

    void SetUp() override { mci.files = &fs; }
};

TEST_F(ModWaveTest, FailureBoxesCarryTheTitleAndOnlyAnOkButton) {
    mci.fail("stop capture");
    wave.StopRecording();
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, "Stopping recording failed!");
    EXPECT_EQ(prompts.boxes[0].title, std::string(kAppTitle));
    EXPECT_EQ(prompts.boxes[0].title, "星澜网络收音机");
    EXPECT_EQ(prompts.boxes[0].buttons, MsgButtons::Ok);
}

TEST_F(ModWaveTest, SingleCommandOperationsSendTheirCommandAndReportTheirFailure) {
    struct Case {
        void (modWave::*operation)();
        std::string command;
        std::string failure;
    };
    const Case cases[] = {
        {&modWave::StartRecording, "record capture",
         "Recording not possible, please restart your computer..."},
        {&modWave::StopRecording, "stop capture", "Stopping recording failed!"},
        {&modWave::CloseCaptureDevice, "close capture", "Closing MCI failed!"},
    };
    for (const Case& c : cases) {
        FakeMci ok;
        FakePrompts quiet;
        modWave good{ok, fs, quiet, state};
        (good.*c.operation)();
        EXPECT_EQ(ok.commands, Strings{c.command});
        EXPECT_TRUE(quiet.boxes.empty());

        FakeMci bad;
        bad.fail(c.command, 5);
        FakePrompts told;
        modWave failing{bad, fs, told, state};
        (failing.*c.operation)();
        EXPECT_EQ(told.texts(), Strings{c.failure});
    }
}

TEST_F(ModWaveTest, OpenClosesEverythingThenOpensANewDeviceEvenAfterAFailure) {
    wave.OpenCaptureDevice();
    EXPECT_EQ(mci.commands, mci_commands::open());
    EXPECT_TRUE(prompts.boxes.empty());

    mci.commands.clear();
    mci.fail("close all");
    mci.fail("open new type waveaudio alias capture");
    wave.OpenCaptureDevice();
    EXPECT_EQ(mci.commands, mci_commands::open());
    EXPECT_EQ(prompts.texts(),
              (Strings{"Closing all MCI operations failed!", "Opening new wave failed!"}));
}

TEST_F(ModWaveTest, FormatCommandCarriesAlignmentAndBytesPerSecond) {
    wave.ApplyCaptureFormat();
    // The two examples spelled out; everywhere else mci_commands::format() writes them.
    EXPECT_EQ(mci.commands,
              (Strings{"seek capture to start",
                       "set capture alignment 4 bitspersample 16 samplespersec 44100 channels 2 "
                       "bytespersec 176400"}));
    EXPECT_EQ(mci.commands, mci_commands::applyFormat(44100, 2, 16));

    mci.commands.clear();
    state.Rate = 8000;
    state.Channels = 1;
    state.Resolution = 8;
    wave.ApplyCaptureFormat();
    EXPECT_EQ(mci.commands.at(1),
              "set capture alignment 1 bitspersample 8 samplespersec 8000 channels 1 bytespersec "
              "8000");
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(ModWaveTest, FormatIsSentAfterAFailedSeekAndItsOwnFailureIsSilent) {
    state.Rate = 22050;
    state.Channels = 2;
    state.Resolution = 8;
    mci.fail("seek capture to start");
    const std::string format = mci_commands::format(22050, 2, 8);
    mci.fail(format);
    wave.ApplyCaptureFormat();
    EXPECT_EQ(mci.commands, (Strings{"seek capture to start", format}));
    EXPECT_EQ(prompts.texts(), Strings{"Starting recording failed!"});
}

TEST_F(ModWaveTest, OddStoredFormatValuesDoNotOverflow) {
    state.Rate = 2000000000;
    state.Channels = 32767;
    state.Resolution = 32767;
    wave.ApplyCaptureFormat();
    EXPECT_EQ(mci.commands.at(1),
              "set capture alignment 134209536 bitspersample 32767 samplespersec 2000000000 "
              "channels 32767 bytespersec 268419072000000000");
}

// After a save the engine reads the take's length in bytes to check the written file.
const Strings kLengthCheck = {"set capture time format bytes", "status capture length"};

Strings saveCommands(const std::string& target) {
    Strings commands{"save capture " + target};
    commands.insert(commands.end(), kLengthCheck.begin(), kLengthCheck.end());
    return commands;
}

TEST_F(ModWaveTest, SaveWithoutBlanksReplacesAnExistingFile) {
    fs.addFile("C:\\Rec\\take.wav", "old take");
    EXPECT_TRUE(wave.SaveRecording("C:\\Rec\\take.wav"));
    EXPECT_EQ(fs.content("C:\\Rec\\take.wav"), mci.take);
    EXPECT_EQ(fs.files(), Strings{"C:\\Rec\\take.wav"}) << "the old file is gone";
    EXPECT_EQ(mci.commands, saveCommands("C:\\Rec\\take.wav"));
    EXPECT_FALSE(state.RenamePending);
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(ModWaveTest, AFailedSaveOverAnExistingFileKeepsTheOldFile) {
    fs.addFile("C:\\Rec\\take.wav", "old take");
    mci.fail("save capture C:\\Rec\\take.wav", 5);
    EXPECT_FALSE(wave.SaveRecording("C:\\Rec\\take.wav"));
    EXPECT_EQ(fs.files(), Strings{"C:\\Rec\\take.wav"});
    EXPECT_EQ(fs.content("C:\\Rec\\take.wav"), "old take");
    EXPECT_EQ(prompts.texts(), Strings{"Saving file failed, file name was: C:\\Rec\\take.wav"});
}

TEST_F(ModWaveTest, ASaveThatReportsSuccessButWroteLessThanTheTakeHasFailed) {
    fs.addFile("C:\\Rec\\take.wav", "old take");
    mci.answer("status capture length", "1000");  // bytes of sound; the file adds a header
    mci.spaceLeft = 600;
    EXPECT_FALSE(wave.SaveRecording("C:\\Rec\\take.wav"));
    EXPECT_EQ(fs.files(), Strings{"C:\\Rec\\take.wav"});
    EXPECT_EQ(fs.content("C:\\Rec\\take.wav"), "old take");
    EXPECT_EQ(prompts.texts(), Strings{"Saving file failed, file name was: C:\\Rec\\take.wav"});

    // A device that keeps the short file open lets go of it once it is reopened; the take
    // in it is no longer whole anyway.
    mci.holdsSavedFile = true;
    mci.commands.clear();
    prompts.boxes.clear();
    EXPECT_FALSE(wave.SaveRecording("C:\\Rec\\take.wav"));
    EXPECT_EQ(fs.files(), Strings{"C:\\Rec\\take.wav"});
    EXPECT_EQ(fs.content("C:\\Rec\\take.wav"), "old take");
    const auto save =
        std::find(mci.commands.begin(), mci.commands.end(), "save capture C:\\Rec\\take.wav");
    ASSERT_NE(save, mci.commands.end());
    EXPECT_NE(std::find(save, mci.commands.end(), "open new type waveaudio alias capture"),
              mci.commands.end());
    EXPECT_EQ(prompts.boxes.size(), 1u);
    mci.holdsSavedFile = false;

    // Without an old file the partial one stays: it holds what could be written.
    prompts.boxes.clear();
    EXPECT_FALSE(wave.SaveRecording("C:\\Rec\\new.wav"));
    EXPECT_EQ(fs.content("C:\\Rec\\new.wav"), mci.take.substr(0, 600));
    EXPECT_EQ(prompts.boxes.size(), 1u);

    // A file as long as the take passes.
    mci.spaceLeft.reset();
    prompts.boxes.clear();
    EXPECT_TRUE(wave.SaveRecording("C:\\Rec\\take.wav"));
    EXPECT_EQ(fs.content("C:\\Rec\\take.wav"), mci.take);
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(ModWaveTest, TheOldFileIsMovedAsideInItsFolderAndDeletedOnlyAfterTheSave) {
    fs.addFile("C:\\Rec\\take.wav", "old take");
    fs.addFile("C:\\Rec\\take.wav.old", "user's own file");
    wave.SaveRecording("C:\\Rec\\take.wav");
    auto at = [&](const std::string& call) {
        return std::find(fs.log.begin(), fs.log.end(), call) - fs.log.begin();
    };
    const auto aside = at("renameFile C:\\Rec\\take.wav -> C:\\Rec\\take.wav.old2");
    const auto dropped = at("deleteFile C:\\Rec\\take.wav.old2");
    ASSERT_LT(aside, static_cast<long>(fs.log.size()));
    ASSERT_LT(dropped, static_cast<long>(fs.log.size()));
    EXPECT_LT(aside, dropped);
    EXPECT_EQ(fs.content("C:\\Rec\\take.wav.old"), "user's own file");

    // A file that cannot be moved aside (a folder holds the name) is replaced as before.
    fs.removeFile("C:\\Rec\\take.wav.old");
    fs.createFolder("C:\\Rec\\take.wav.old");
    mci.take = "new take";
    EXPECT_TRUE(wave.SaveRecording("C:\\Rec\\take.wav"));
    EXPECT_EQ(fs.content("C:\\Rec\\take.wav"), "new take");
}

TEST_F(ModWaveTest, SaveWithABlankGoesThroughTheShortNameAndLeavesARenamePending) {
    fs.addFile("C:\\My Music\\rec 1.wav", "old take");
    EXPECT_TRUE(wave.SaveRecording("C:\\My Music\\rec 1.wav"));

    EXPECT_EQ(mci.commands.front(), "save capture C:\\MYMUSI~1\\REC1~1.WAV");
    EXPECT_TRUE(state.RenamePending);
    EXPECT_EQ(state.SavedLongName, "C:\\My Music\\rec 1.wav");
    EXPECT_EQ(state.SavedShortName, "C:\\MYMUSI~1\\REC1~1.WAV");
    // The old file is gone, the take waits under its short name.
    EXPECT_EQ(fs.files(), Strings{"C:\\My Music\\REC1~1.WAV"});
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(ModWaveTest, AFailedSaveThroughTheShortNameKeepsTheOldFileAndLeavesNoRename) {
    fs.addFile("C:\\My Music\\rec 1.wav", "old take");
    mci.fail("save capture C:\\MYMUSI~1\\REC1~1.WAV", 5);
    EXPECT_FALSE(wave.SaveRecording("C:\\My Music\\rec 1.wav"));
    EXPECT_FALSE(state.RenamePending);
    EXPECT_EQ(fs.files(), Strings{"C:\\My Music\\rec 1.wav"});
    EXPECT_EQ(fs.content("C:\\My Music\\rec 1.wav"), "old take");
    // The failure names the file the user asked for, not the short name.
    EXPECT_EQ(prompts.texts(),
              Strings{"Saving file failed, file name was: C:\\My Music\\rec 1.wav"});
}

TEST_F(ModWaveTest, PendingFileGetsItsLongNameAndOnlyTheLastPairIsKept) {
    fs.createFolder("C:\\My Music");
    mci.take = "first take";
    wave.SaveRecording("C:\\My Music\\rec 1.wav");
    const std::string firstShort = state.SavedShortName;

    mci.take = "second take";
    wave.SaveRecording("C:\\My Music\\rec 2.wav");
    EXPECT_NE(state.SavedShortName, firstShort);
    EXPECT_EQ(state.SavedLongName, "C:\\My Music\\rec 2.wav");

    EXPECT_TRUE(wave.FinishPendingRename());
    EXPECT_EQ(fs.content("C:\\My Music\\rec 2.wav"), "second take");
    EXPECT_EQ(fs.content(firstShort), "first take");
    EXPECT_FALSE(fs.exists("C:\\My Music\\rec 1.wav"));
    EXPECT_FALSE(state.RenamePending);
    EXPECT_EQ(state.SavedShortName, "");

    fs.log.clear();
    EXPECT_FALSE(wave.FinishPendingRename());  // nothing pending any more
    EXPECT_TRUE(fs.log.empty());
}

TEST_F(ModWaveTest, ARenameThatCannotBeDoneLosesNoFile) {
    fs.createFolder("C:\\My Music");
    wave.SaveRecording("C:\\My Music\\rec 1.wav");
    // The short-named file went missing.
    fs.removeFile(state.SavedShortName);
    EXPECT_FALSE(wave.FinishPendingRename());
    EXPECT_FALSE(state.RenamePending);
    EXPECT_TRUE(fs.files().empty());

    // Someone put a file under the long name meanwhile: both files stay.
    mci.take = "take";
    wave.SaveRecording("C:\\My Music\\rec 1.wav");
    const std::string shortName = state.SavedShortName;
    fs.addFile("C:\\My Music\\rec 1.wav", "user's file");
    EXPECT_FALSE(wave.FinishPendingRename());
    EXPECT_EQ(fs.content("C:\\My Music\\rec 1.wav"), "user's file");
    EXPECT_EQ(fs.content(shortName), "take");
    EXPECT_FALSE(state.RenamePending);
}

TEST_F(ModWaveTest, WithoutAUsableShortNameTheLongPathIsQuoted) {
    fs.shortNames = false;
    fs.createFolder("C:\\My Music");
    EXPECT_TRUE(wave.SaveRecording("C:\\My Music\\rec 1.wav"));
    EXPECT_EQ(mci.commands, saveCommands("\"C:\\My Music\\rec 1.wav\""));
    EXPECT_FALSE(state.RenamePending);
    EXPECT_EQ(fs.files(), Strings{"C:\\My Music\\rec 1.wav"});

    // A missing folder: no empty file can be made, the path comes back unchanged.
    fs.shortNames = true;
    EXPECT_EQ(wave.ShortPathOf("C:\\No Folder\\rec 1.wav"), "C:\\No Folder\\rec 1.wav");
    mci.commands.clear();
    EXPECT_FALSE(wave.SaveRecording("C:\\No Folder\\rec 1.wav"));
    EXPECT_EQ(mci.commands.front(), "save capture \"C:\\No Folder\\rec 1.wav\"");
    EXPECT_FALSE(state.RenamePending);
}

TEST_F(ModWaveTest, ShortPathOfAnExistingFileLeavesItAlone) {
    fs.addFile("C:\\My Music\\rec 1.wav", "take");
    EXPECT_EQ(wave.ShortPathOf("C:\\My Music\\rec 1.wav"), "C:\\MYMUSI~1\\REC1~1.WAV");
    EXPECT_EQ(fs.content("C:\\My Music\\rec 1.wav"), "take");
    EXPECT_TRUE(wave.FileExists("C:\\MYMUSI~1\\REC1~1.WAV"));
    EXPECT_FALSE(wave.FileExists("C:\\My Music"));  // folders are not files
    EXPECT_FALSE(wave.FileExists(""));
    EXPECT_TRUE(modWave::HasSpace("C:\\My Music\\a.wav"));
    EXPECT_FALSE(modWave::HasSpace("C:\\录音文件\\a.wav"));
}

TEST_F(ModWaveTest, StatusTranslatesTheModeWords) {
    const std::pair<std::string, std::string> cases[] = {
        {"stopped", "AudioRecorder: 停止"},        {"recording", "AudioRecorder: 正在录音"},
        {"playing", "AudioRecorder: 正在回放"},    {"paused", "AudioRecorder: paused"},
        {"not ready", "AudioRecorder: not ready"},
    };
    for (const auto& [reply, status] : cases) {
        mci.answer("status capture mode", reply);
        wave.UpdateRecorderStatus();
        EXPECT_EQ(state.WaveStatus, status);
    }
    mci.answer("status capture mode", std::string(300, 'x'));
    wave.UpdateRecorderStatus();
    EXPECT_EQ(state.WaveStatus, "AudioRecorder: " + std::string(240, 'x'));

    mci.fail("status capture mode", 263, "stale");
    wave.UpdateRecorderStatus();
    EXPECT_EQ(state.WaveStatus, "AudioRecorder: ");
    EXPECT_EQ(prompts.texts(), Strings{"Failure getting wave status..."});
}

const Strings kDescribeCommands = {"set capture time format ms",    "status capture length",
                                   "set capture time format bytes", "status capture length",
                                   "status capture channels",       "status capture bitspersample",
                                   "status capture samplespersec"};

TEST_F(ModWaveTest, DescriptionOfAFreshDeviceAndOfATake) {
    mci.answer("status capture length", "0");
    mci.answer("status capture channels", "2");
    mci.answer("status capture bitspersample", "16");
    mci.answer("status capture samplespersec", "44100");
    wave.DescribeRecording();
    EXPECT_EQ(mci.commands, kDescribeCommands);
    EXPECT_EQ(state.WaveDescription,
              "时长: 0秒( 0字节)\r\n 立体声 -  16 bits -  44100 samples per second \r\n\r\n");

    mci.queue("status capture length", {0, "12500"});
    mci.queue("status capture length", {0, "2205000"});
    wave.DescribeRecording();
    EXPECT_EQ(state.WaveDescription,
              "时长: 12.5秒( 2205000字节)\r\n 立体声 -  16 bits -  44100 samples per second "
              "\r\n\r\n");
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(ModWaveTest, DescriptionWritesSecondsWithUpToThreeDecimals) {
    const std::pair<std::string, std::string> cases[] = {
        {"12345", "时长: 12.345秒"}, {"5000", "时长: 5秒"},    {"1", "时长: 0.001秒"},
        {"10", "时长: 0.01秒"},      {"-1500", "时长:-1.5秒"}, {"3000000000", "时长: 3000000秒"}};
    for (const auto& [ms, line] : cases) {
        mci.queue("status capture length", {0, ms});
        mci.queue("status capture length", {0, "0"});
        wave.DescribeRecording();
        EXPECT_EQ(state.WaveDescription.substr(0, state.WaveDescription.find('(')), line);
    }
}

TEST_F(ModWaveTest, DescriptionIsBuiltThroughFailuresAndOddReplies) {
    for (const std::string& command : kDescribeCommands)
        mci.fail(command, 263, "77");
    wave.DescribeRecording();
    EXPECT_EQ(mci.commands, kDescribeCommands);
    EXPECT_EQ(prompts.texts(),
              (Strings{"Setting time format in milliseconds failed!",
                       "Finding 时长(字节): in milliseconds failed!",
                       "Setting time format in bytes failed!",
                       "Finding 时长(字节): in bytes failed!", "Finding number of channels failed!",
                       "Finding resolution failed!", "Finding sample rate failed!"}));
    // A failed query's buffer is not trusted: every value reads 0, no channel text.
    EXPECT_EQ(state.WaveDescription,
              "时长: 0秒( 0字节)\r\n 0 bits -  0 samples per second \r\n\r\n");

    FakeMci odd;
    odd.queue("status capture length", {0, "abc"});
    odd.queue("status capture length", {0, "4000000000 bytes"});
    odd.answer("status capture channels", "3");
    odd.answer("status capture bitspersample", "");
    odd.answer("status capture samplespersec", "99999999999999999999999");
    modWave tolerant{odd, fs, prompts, state};
    tolerant.DescribeRecording();
    EXPECT_EQ(state.WaveDescription,
              "时长: 0秒( 4000000000字节)\r\n 0 bits -  0 samples per second \r\n\r\n");

    odd.answer("status capture channels", "1");
    tolerant.DescribeRecording();
    EXPECT_NE(state.WaveDescription.find("\r\n 单声道 -  0 bits"), std::string::npos);
}

TEST_F(ModWaveTest, PositionIsReadInMilliseconds) {
    mci.answer("status capture position", "15000");
    EXPECT_EQ(wave.GetCapturePosition(), 15000);
    EXPECT_EQ(mci.commands, (Strings{"set capture time format ms", "status capture position"}));
    EXPECT_TRUE(prompts.boxes.empty());

    mci.answer("status capture position", "3000000000");  // beyond 32 bits
    EXPECT_EQ(wave.GetCapturePosition(), 0);
}

TEST_F(ModWaveTest, FailedPositionQueryShowsTwoBoxesAndGivesZero) {
    mci.fail("set capture time format ms");
    mci.fail("status capture position", 263, "1234");
    EXPECT_EQ(wave.GetCapturePosition(), 0);
    EXPECT_EQ(prompts.texts(), (Strings{"Setting format in milliseconds failed!",
                                        "Finding position failed!", "Error in position"}));
}

TEST_F(ModWaveTest, PlayFromPositionAndItsTwoFailureBoxes) {
    wave.PlayFromPosition(15000);
    EXPECT_EQ(mci.commands, (Strings{"set capture time format ms", "play capture from 15000"}));
    EXPECT_TRUE(prompts.boxes.empty());

    mci.fail("play capture from 0");
    wave.PlayFromPosition(0);
    EXPECT_EQ(prompts.texts(), (Strings{"Playing from indicated position failed!",
                                        "Play from position doesn't work...."}));
}

TEST(ParseMciNumber, ReadsLeadingDigitsAndFallsBackToZero) {
    EXPECT_EQ(parseMciNumber("44100"), 44100);
    EXPECT_EQ(parseMciNumber("  12 ms"), 12);
    EXPECT_EQ(parseMciNumber("-7"), -7);
    EXPECT_EQ(parseMciNumber("+7"), 7);
    EXPECT_EQ(parseMciNumber("12.9"), 12);
    EXPECT_EQ(parseMciNumber(""), 0);
    EXPECT_EQ(parseMciNumber("stopped"), 0);
    EXPECT_EQ(parseMciNumber("-"), 0);
    EXPECT_EQ(parseMciNumber("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(parseMciNumber("9223372036854775808"), 0);
    EXPECT_EQ(parseMciNumber("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(parseMciNumber("-9223372036854775809"), 0);
    EXPECT_EQ(parseMciNumber("99999999999999999999999"), 0);
}

}  // namespace
}  // namespace sonorin
