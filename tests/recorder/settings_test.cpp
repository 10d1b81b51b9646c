#include "recorder/settings.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "fakes/fake_settings_store.h"

namespace sonorin {
namespace {

using Strings = std::vector<std::string>;
const Strings kKeys = {"Rate", "Channels", "Resolution", "WaveFileName", "WaveAutomaticSave"};

class SettingsTest : public ::testing::Test {
  protected:
    void store(const std::string& key, const std::string& value) {
        settings.values[{"Sonorin", "StartUp", key}] = value;
    }
    std::string stored(const std::string& key) {
        return settings.values.at({"Sonorin", "StartUp", key});
    }

    FakeSettingsStore settings;
    RecorderState state;
};

TEST_F(SettingsTest, EmptyStoreGivesTheDefaults) {
    state.Rate = 8000;
    state.Channels = 1;
    state.Resolution = 8;
    state.WaveFileName = "D:\\x.wav";
    state.WaveAutomaticSave = false;
    readRecorderSettings(settings, state);
    EXPECT_EQ(settings.reads, kKeys);
    EXPECT_EQ(state.Rate, 44100);
    EXPECT_EQ(state.Channels, 2);
    EXPECT_EQ(state.Resolution, 16);
    EXPECT_EQ(state.WaveFileName, "C:\\Radio.wav");
    EXPECT_TRUE(state.WaveAutomaticSave);
}

TEST_F(SettingsTest, WritesAllFiveKeysInOrderAndReadsThemBack) {
    state.Rate = 22050;
    state.Channels = 1;
    state.Resolution = 8;
    state.WaveFileName = "D:\\录音 文件\\广播.wav";
    state.WaveAutomaticSave = false;
    writeRecorderSettings(settings, state);
    EXPECT_EQ(settings.writes, kKeys);
    EXPECT_EQ(stored("Rate"), "22050");
    EXPECT_EQ(stored("Channels"), "1");
    EXPECT_EQ(stored("Resolution"), "8");
    EXPECT_EQ(stored("WaveFileName"), "D:\\录音 文件\\广播.wav");
    EXPECT_EQ(stored("WaveAutomaticSave"), "False");

    RecorderState fresh;
    readRecorderSettings(settings, fresh);
    EXPECT_EQ(fresh.Rate, 22050);
    EXPECT_EQ(fresh.Channels, 1);
    EXPECT_EQ(fresh.Resolution, 8);
    EXPECT_EQ(fresh.WaveFileName, "D:\\录音 文件\\广播.wav");
    EXPECT_FALSE(fresh.WaveAutomaticSave);

    fresh.WaveAutomaticSave = true;
    fresh.WaveFileName.clear();
    writeRecorderSettings(settings, fresh);
    EXPECT_EQ(stored("WaveAutomaticSave"), "True");
    EXPECT_EQ(stored("WaveFileName"), "");
    readRecorderSettings(settings, state);
    EXPECT_EQ(state.WaveFileName, "");  // an empty name is a name, not a missing key
}

TEST_F(SettingsTest, ValuesThatAreNotNumbersOfTheFieldsWidthKeepTheField) {
    state.Rate = 11025;
    state.Channels = 1;
    state.Resolution = 8;
    for (const char* bad : {"44100abc", "", "abc", "12.5", "-", "+-5", "1 000", "0x10"}) {
        store("Rate", bad);
        store("Channels", bad);
        store("Resolution", bad);
        readRecorderSettings(settings, state);
        EXPECT_EQ(state.Rate, 11025) << bad;
        EXPECT_EQ(state.Channels, 1) << bad;
        EXPECT_EQ(state.Resolution, 8) << bad;
    }
    store("Rate", "3000000000");
    store("Channels", "32768");
    store("Resolution", "-32769");
    readRecorderSettings(settings, state);
    EXPECT_EQ(state.Rate, 11025);
    EXPECT_EQ(state.Channels, 1);
    EXPECT_EQ(state.Resolution, 8);

    // Each key stands alone: one bad value does not stop the others.
    store("Rate", " 22050 ");
    store("Channels", "+2");
    store("Resolution", "\t16");
    readRecorderSettings(settings, state);
    EXPECT_EQ(state.Rate, 22050);
    EXPECT_EQ(state.Channels, 2);
    EXPECT_EQ(state.Resolution, 16);
}

TEST_F(SettingsTest, OnlyTheFormatsTheDialogOffersReachTheState) {
    state.Rate = 22050;
    state.Channels = 1;
    state.Resolution = 8;
    const std::tuple<const char*, const char*, const char*> odd[] = {
        {"-8000", "0", "12"}, {"0", "3", "24"}, {"96000", "-2", "-16"}, {"44101", "65535", "7"}};
    for (const auto& [rate, channels, bits] : odd) {
        store("Rate", rate);
        store("Channels", channels);
        store("Resolution", bits);
        readRecorderSettings(settings, state);
        EXPECT_EQ(state.Rate, 22050) << rate;
        EXPECT_EQ(state.Channels, 1) << channels;
        EXPECT_EQ(state.Resolution, 8) << bits;
    }
    for (int rate : {6000, 8000, 11025, 22050, 44100}) {
        store("Rate", std::to_string(rate));
        readRecorderSettings(settings, state);
        EXPECT_EQ(state.Rate, rate);
    }
    store("Channels", "2");
    store("Resolution", "16");
    readRecorderSettings(settings, state);
    EXPECT_EQ(state.Channels, 2);
    EXPECT_EQ(state.Resolution, 16);
}

TEST_F(SettingsTest, FlagReadsTrueOrFalseInAnyCaseAndKeepsAnythingElse) {
    store("WaveAutomaticSave", "FALSE");
    readRecorderSettings(settings, state);
    EXPECT_FALSE(state.WaveAutomaticSave);
    for (const char* other : {"1", "yes", "", "Falsch", "0"}) {
        store("WaveAutomaticSave", other);
        readRecorderSettings(settings, state);
        EXPECT_FALSE(state.WaveAutomaticSave) << other;
    }
    store("WaveAutomaticSave", "true");
    readRecorderSettings(settings, state);
    EXPECT_TRUE(state.WaveAutomaticSave);
}

TEST_F(SettingsTest, SaveSettingsReadOnlyNameAndFlag) {
    store("Rate", "8000");
    store("WaveFileName", "E:\\a.wav");
    store("WaveAutomaticSave", "False");
    readSaveSettings(settings, state);
    EXPECT_EQ(settings.reads, (Strings{"WaveFileName", "WaveAutomaticSave"}));
    EXPECT_EQ(state.Rate, 44100);
    EXPECT_EQ(state.WaveFileName, "E:\\a.wav");
    EXPECT_FALSE(state.WaveAutomaticSave);
}

TEST_F(SettingsTest, AFailedWriteDoesNotStopTheOthers) {
    settings.failWrites = true;
    writeRecorderSettings(settings, state);
    EXPECT_EQ(settings.writes, kKeys);
}

TEST_F(SettingsTest, TheCaptureSourceIsKeptBesideTheFiveAndOddValuesLeaveIt) {
    readCaptureSource(settings, state);
    EXPECT_EQ(state.Source, CaptureSource::SoundCard) << "the sound card for a new user";
    store("CaptureSource", " station ");
    readCaptureSource(settings, state);
    EXPECT_EQ(state.Source, CaptureSource::Station);
    store("CaptureSource", "Microphone");
    readCaptureSource(settings, state);
    EXPECT_EQ(state.Source, CaptureSource::Station);
    state.Source = CaptureSource::SoundCard;
    writeCaptureSource(settings, state);
    EXPECT_EQ(stored("CaptureSource"), "SoundCard");
}

}  // namespace
}  // namespace sonorin
