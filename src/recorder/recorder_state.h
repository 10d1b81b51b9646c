// The shared recorder record: one instance for the whole process, read and written directly
// by both recorder windows, the settings dialog and the recording engine.
#pragma once

#include <cstdint>
#include <string>

#include "base/datetime.h"

namespace sonorin {

// What a take records: whatever the sound card plays (through MCI), or the decoded sound of
// the station the program plays.
enum class CaptureSource { SoundCard, Station };

struct RecorderState {
    std::int32_t Rate = 44100;     // samples per second of the next take
    std::int16_t Channels = 2;     // 1 mono, 2 stereo
    std::int16_t Resolution = 16;  // bits per sample, 8 or 16
    std::string WaveStatus;        // "AudioRecorder: " + device mode, at most 255 characters
    std::string WaveDescription;   // length and format of the take
    bool RecordImmediate = true;   // false while a programmed recording is armed
    DateTime StartTime;
    DateTime StopTime;
    bool ProgrammedDone = false;
    bool ProgrammedRunning = false;
    bool Playing = false;
    bool WaveAutomaticSave = true;
    std::string WaveFileName = "C:\\Radio.wav";
    // The last save whose name held a blank went to SavedShortName and still has to be
    // renamed to SavedLongName once the device has let go of the file.
    std::string SavedLongName;
    std::string SavedShortName;
    bool RenamePending = false;
    // A take was recorded and has been neither saved nor discarded since.
    bool TakeUnsaved = false;
    // The source of the next take; stored as the setting "CaptureSource".
    CaptureSource Source = CaptureSource::SoundCard;

    // Back to recording by hand with nothing programmed, running or playing.
    void resetToImmediate() {
        RecordImmediate = true;
        ProgrammedDone = false;
        ProgrammedRunning = false;
        Playing = false;
    }
};

}  // namespace sonorin
