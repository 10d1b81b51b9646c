// The five persistent recording settings: text values in the per-user store under the
// application "Sonorin", section "StartUp", copied into and out of RecorderState.
#pragma once

#include "services/settings_store.h"
#include "recorder/recorder_state.h"

namespace sonorin {

inline constexpr const char* kSettingsApp = "Sonorin";
inline constexpr const char* kSettingsSection = "StartUp";

// Reads "Rate", "Channels", "Resolution", "WaveFileName" and "WaveAutomaticSave", in this
// order. A missing key gives its default; a stored value that is not one the settings dialog
// offers (rates 6000, 8000, 11025, 22050, 44100; channels 1, 2; bits 8, 16), or not
// "True"/"False" in any letter case for the flag, leaves that one field as it was. Blanks and tabs
// around a value are accepted; anything else ("44100abc", "12.5",
// "", a number too large for the field) is not a number.
void readRecorderSettings(SettingsStore& store, RecorderState& state);
// Reads only "WaveFileName" and "WaveAutomaticSave".
void readSaveSettings(SettingsStore& store, RecorderState& state);
// Writes all five keys in order; a key that cannot be written is skipped.
void writeRecorderSettings(SettingsStore& store, const RecorderState& state);

// The capture source, kept beside the five as "CaptureSource": "SoundCard" (the default) or
// "Station" in any letter case; any other value leaves the field as it was.
void readCaptureSource(SettingsStore& store, RecorderState& state);
void writeCaptureSource(SettingsStore& store, const RecorderState& state);

}  // namespace sonorin
