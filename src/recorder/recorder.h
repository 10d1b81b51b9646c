// The recorder the windows drive: the engine's operations for a take of the source the user
// chose. A take of the sound card goes to modWave unchanged; a take of the station the
// program plays is a StationTake, written into the recordings folder as it is recorded under
// a name that marks it as unfinished ("…_录制中.wav"); once stopped it is named after its
// times with a mark that says it is unsaved ("…_未保存.wav"), and moved to its own name when
// saved.
// The source of a take is fixed when it starts; the capture device stays open either way, so
// that switching sources never leaves the status queries without a device.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "radio/station_player.h"
#include "recorder/modWave.h"
#include "recorder/recorder_state.h"
#include "recorder/station_take.h"
#include "services/clock.h"
#include "services/filesystem.h"
#include "services/mci.h"
#include "services/prompts.h"

namespace sonorin {

// Marks in the names of a station take's files: still being written, and found unfinished
// after a crash and mended.
inline constexpr const char* kUnfinishedMark = "_录制中";
inline constexpr const char* kRecoveredMark = "_恢复";
// A stopped take's files until the user saves them.
inline constexpr const char* kUnsavedMark = "_未保存";

class Recorder {
  public:
    Recorder(modWave& wave, StationTake& take, Mci& mci, FileSystem& fs, Clock& clock,
             Prompts& prompts, RecorderState& state);

    void OpenCaptureDevice();
    void ApplyCaptureFormat();
    void StartRecording() { StartRecording(state_.Source); }
    // A take of this source, whatever the settings choose (a window without a station to
    // record asks for the sound card).
    void StartRecording(CaptureSource source);
    void StopRecording();
    // A station take is moved to path (its later parts beside it, "_2", …); a file of that
    // name is replaced only once the move has succeeded. A failed move keeps the take where
    // it was and says so.
    bool SaveRecording(const std::string& path);
    void UpdateRecorderStatus();
    void DescribeRecording();
    // A station take still recording is finished and kept under its unfinished name, for the
    // next start to recover.
    void CloseCaptureDevice();
    std::int32_t GetCapturePosition();
    void PlayFromPosition(std::int32_t ms);
    bool FinishPendingRename() { return wave_.FinishPendingRename(); }
    // While into is set, the failures of every take's operations are added to it instead of
    // shown in boxes that wait for a click.
    void holdFailures(std::vector<std::string>* into) {
        heldFailures_ = into;
        wave_.holdFailures(into);
    }

    // Writes the sound a station take is due. When the take has just stopped by itself (the
    // disk filling, the file no longer writable) returns what to tell the user; else empty.
    std::string tick();
    // True while a station take records and its last stretch was silence.
    bool writingSilence() const { return stationTake() && take_.recording() && take_.silent(); }
    bool stationTake() const { return takeSource_ == CaptureSource::Station; }
    // The user declined to save the stopped station take: its files stay where they are,
    // also when a new take starts. Returns them (none for a take of the sound card, which
    // stays in the device).
    std::vector<std::string> keepUnsavedTake();
    // True once a sound-card take has heard nothing for 10 s while the station played:
    // the card most likely records a microphone. Asked on every tick of the monitor.
    bool soundCardSilent(bool stationPlays);

    // Station takes that a crash or a kill left unfinished in the recordings folder: each
    // gets a header that matches its length and a name with kRecoveredMark in place of
    // kUnfinishedMark. Returns the new full names.
    std::vector<std::string> recoverUnfinishedTakes();

    std::string recordingsFolder() { return fs_.programFolder() + "\\录音文件"; }

  private:
    void fail(const std::string& message);
    // Lets go of the take's file when the device plays it back.
    void endPlayback();
    // A stopped take leaves the name of a file still being written for one made of its times
    // and kUnsavedMark. A failed rename keeps the old name.
    void nameStoppedTake();

    modWave& wave_;
    StationTake& take_;
    Mci& mci_;
    FileSystem& fs_;
    Clock& clock_;
    Prompts& prompts_;
    RecorderState& state_;
    std::vector<std::string>* heldFailures_ = nullptr;
    CaptureSource takeSource_ = CaptureSource::SoundCard;
    bool playingBack_ = false;
    // The take stopped by itself and the user was told where its file is: a new take leaves
    // that file in place instead of discarding it.
    bool keepFiles_ = false;
    bool planned_ = false;            // the station take is a programmed one that started on time
    std::int64_t quietSinceMs_ = -1;  // the sound card's level has been 0 since then
};

}  // namespace sonorin
