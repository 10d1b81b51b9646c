// The recording engine: drives the sound card through MCI string commands on the device
// alias "capture", saves takes as WAV files and describes them. Every MCI failure is shown
// in a message box with a fixed English text, after which the operation goes on as if the
// command had succeeded; callers never see an error code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "recorder/recorder_state.h"
#include "services/filesystem.h"
#include "services/mci.h"
#include "services/prompts.h"

namespace sonorin {

class modWave {
  public:
    modWave(Mci& mci, FileSystem& fs, Prompts& prompts, RecorderState& state);

    bool FileExists(const std::string& path);
    // The short (8.3) form of path, creating the file for a moment when it does not exist.
    // Returns path unchanged when no short form can be had (for example a missing folder).
    std::string ShortPathOf(const std::string& path);
    static bool HasSpace(const std::string& text);

    void OpenCaptureDevice();
    void ApplyCaptureFormat();
    void StartRecording();
    // Saves the take as path. An existing file of that name is replaced only once the new
    // one is written whole; a failed save is reported, gives the old file back and returns
    // false. The take stays in the device, unless the device holds a short file it wrote
    // in place of the old one: it is then reopened, empty, to let go of that file.
    bool SaveRecording(const std::string& path);
    void StopRecording();
    void UpdateRecorderStatus();
    void DescribeRecording();
    void CloseCaptureDevice();
    // Milliseconds from the start of the take; 0 when the query fails or the reply is not a
    // 32-bit number. The description likewise shows 0 for any value it cannot read.
    std::int32_t GetCapturePosition();
    void PlayFromPosition(std::int32_t ms);

    // Gives the file saved through a short name its long name, once the device has been
    // closed or reopened. Returns true when the file now carries the long name.
    bool FinishPendingRename();

    // While into is set, failure messages are added to it instead of shown: for work that
    // nobody may be there to click a box for. Null shows them again.
    void holdFailures(std::vector<std::string>* into) { heldFailures_ = into; }

  private:
    // Sends command; on failure shows each message in turn. Returns the reply, or an empty
    // text when the command failed (a failed query's buffer is never trusted).
    std::string send(const std::string& command, const char* failure,
                     const char* secondFailure = nullptr);
    void fail(const std::string& message);
    // A free name beside path for the file a save replaces; empty when none is found.
    std::string asideName(const std::string& path);
    // True when file exists and holds at least the take's bytes.
    bool writtenWhole(const std::string& file);

    Mci& mci_;
    FileSystem& fs_;
    Prompts& prompts_;
    RecorderState& state_;
    std::vector<std::string>* heldFailures_ = nullptr;
};

// The description of a take: "时长: 12.5秒( 2205000字节)" CR LF, " 立体声 - " or " 单声道 - "
// (nothing for another channel count), " 16 bits - ", " 44100 samples per second " CR LF CR LF.
std::string describeTake(std::int64_t lengthMs, std::int64_t lengthBytes, std::int64_t channels,
                         std::int64_t bits, std::int64_t rate);

// The number at the start of an MCI reply: optional blanks, an optional sign and decimal
// digits; whatever follows the digits is ignored. A reply without digits, or one whose
// value does not fit 64 bits (-9223372036854775808 does), gives 0.
std::int64_t parseMciNumber(const std::string& reply);

}  // namespace sonorin
