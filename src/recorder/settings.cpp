#include "recorder/settings.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "base/ascii.h"

namespace sonorin {
namespace {

std::string_view trimBlanks(std::string_view text) {
    return ascii::trim(text, " \t");
}

// A decimal integer of type T, with an optional sign and blanks around it (a hand-edited
// value such as " 22050 " is still a number). Anything else, or a value outside T, is no
// number at all.
template <typename T>
std::optional<T> parseInteger(std::string_view text) {
    text = trimBlanks(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-')
            return std::nullopt;
    }
    if (text.empty())
        return std::nullopt;
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<bool> parseFlag(std::string_view text) {
    text = trimBlanks(text);
    if (ascii::equalsNoCase(text, "True"))
        return true;
    if (ascii::equalsNoCase(text, "False"))
        return false;
    return std::nullopt;
}

std::string get(SettingsStore& store, const char* key, const char* defaultValue) {
    return store.getSetting(kSettingsApp, kSettingsSection, key, defaultValue);
}

// Only the values the settings dialog offers reach the device; anything else keeps the field.
template <typename T>
void readInteger(SettingsStore& store, const char* key, const char* defaultValue,
                 std::initializer_list<T> allowed, T& field) {
    const auto value = parseInteger<T>(get(store, key, defaultValue));
    if (value && std::find(allowed.begin(), allowed.end(), *value) != allowed.end())
        field = *value;
}

}  // namespace

void readSaveSettings(SettingsStore& store, RecorderState& state) {
    state.WaveFileName = get(store, "WaveFileName", "C:\\Radio.wav");
    if (auto flag = parseFlag(get(store, "WaveAutomaticSave", "True"))) {
        state.WaveAutomaticSave = *flag;
    }
}

void readRecorderSettings(SettingsStore& store, RecorderState& state) {
    readInteger<std::int32_t>(store, "Rate", "44100", {6000, 8000, 11025, 22050, 44100},
                              state.Rate);
    readInteger<std::int16_t>(store, "Channels", "2", {1, 2}, state.Channels);
    readInteger<std::int16_t>(store, "Resolution", "16", {8, 16}, state.Resolution);
    readSaveSettings(store, state);
}

void writeRecorderSettings(SettingsStore& store, const RecorderState& state) {
    auto put = [&](const char* key, const std::string& value) {
        store.saveSetting(kSettingsApp, kSettingsSection, key, value);
    };
    put("Rate", std::to_string(state.Rate));
    put("Channels", std::to_string(state.Channels));
    put("Resolution", std::to_string(state.Resolution));
    put("WaveFileName", state.WaveFileName);
    put("WaveAutomaticSave", state.WaveAutomaticSave ? "True" : "False");
}

void readCaptureSource(SettingsStore& store, RecorderState& state) {
    const std::string stored = get(store, "CaptureSource", "SoundCard");
    const std::string_view value = trimBlanks(stored);
    if (ascii::equalsNoCase(value, "SoundCard"))
        state.Source = CaptureSource::SoundCard;
    else if (ascii::equalsNoCase(value, "Station"))
        state.Source = CaptureSource::Station;
}

void writeCaptureSource(SettingsStore& store, const RecorderState& state) {
    store.saveSetting(kSettingsApp, kSettingsSection, "CaptureSource",
                      state.Source == CaptureSource::Station ? "Station" : "SoundCard");
}

}  // namespace sonorin
