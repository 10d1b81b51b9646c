// A take of the station the program plays: its decoded sound, converted to the take's format,
// written to a WAV file as it is recorded. The take keeps the wall clock's length: where the
// station sends nothing (connecting, reconnecting, stopped) it gets silence. A jump of the
// clock (the computer slept) is a pause instead: the take goes on after it. Its header is
// brought up to date every two seconds, so a crash leaves a playable file. A part that would
// pass the WAV format's 4 GiB goes on in a second file; the take stops by itself before the
// disk is full, or when the file cannot be written, and keeps what it has.
//
// The player's worker thread hands in sound through decoded(); everything else runs on the
// user-interface thread.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "radio/station_player.h"
#include "recorder/pcm_convert.h"
#include "services/filesystem.h"

namespace sonorin {

class StationTake : public PcmListener {
  public:
    struct Limits {
        // Sound bytes in one file; beyond them the take goes on in the next part.
        std::uint64_t partBytes = 0xFFFFFFFFull - 36;
        // Sound may arrive this late before silence takes its place.
        std::int64_t lateMs = 500;
        // The most sound held ahead of the file; older sound beyond it is dropped.
        std::int64_t heldMs = 4000;
        std::int64_t headerEveryMs = 2000;
        // The take stops when less than this is left on the disk.
        std::uint64_t spareBytes = 64ull << 20;
        // Time between two looks at the take beyond which the clock has jumped: the computer
        // slept. The timer that drives the take ticks far more often.
        std::int64_t pauseAfterMs = 5000;
    };
    enum class Ended { No, DiskFull, WriteFailed };

    explicit StationTake(FileSystem& fs) : StationTake(fs, Limits{}) {}
    StationTake(FileSystem& fs, Limits limits) : fs_(fs), limits_(limits) {}
    StationTake(const StationTake&) = delete;
    StationTake& operator=(const StationTake&) = delete;

    // Player's worker thread.
    void decoded(const DecodedFormat& format, const std::uint8_t* bytes, std::size_t size) override;

    // Starts a take into a new file at path; false when the file cannot be made. A take with
    // a planned length (a programmed one) never grows beyond it.
    bool start(const std::string& path, const TakeFormat& format, std::int64_t nowMs,
               std::int64_t plannedMs = 0);
    // Writes what is due by now. Returns how the take ended when it just stopped by itself.
    Ended pump(std::int64_t nowMs);
    // Writes the take up to now, then its final header.
    void stop(std::int64_t nowMs);
    // Ends a take that reached its planned time at its planned length exactly (the start and
    // the stop are each seen on a tick that may come a little late).
    void stopAtPlannedLength(std::int64_t nowMs);
    // Forgets the files (they have been saved elsewhere), or deletes them first.
    void forget() { parts_.clear(); }
    // The files of a stopped take have been renamed to these.
    void renamed(std::vector<std::string> parts) { parts_ = std::move(parts); }
    void discard();

    bool recording() const { return file_ != nullptr; }
    // The last stretch written was silence: the station sent nothing.
    bool silent() const { return silent_; }
    const std::vector<std::string>& parts() const { return parts_; }
    const TakeFormat& format() const { return format_; }
    std::uint64_t bytes() const { return totalBytes_; }
    std::int64_t lengthMs() const;

    // The name of part n (from 1) of a take saved as path: "x.wav", "x_2.wav", …
    static std::string partName(const std::string& path, std::size_t n);

  private:
    bool write(const char* bytes, std::size_t size);
    bool writeHeader();
    bool nextPart();
    void finish();
    std::int64_t framesAt(std::int64_t nowMs) const;
    // Leaves out of the take the time the clock jumped since the last look.
    void skipPause(std::int64_t nowMs);
    void finishAt(std::int64_t dueFrames);

    FileSystem& fs_;
    const Limits limits_;

    std::mutex mutex_;  // what decoded() shares with the rest
    bool accepting_ = false;
    std::string held_;  // converted sound not yet written
    std::unique_ptr<PcmConverter> converter_;

    TakeFormat format_;
    std::string path_;
    std::vector<std::string> parts_;
    std::unique_ptr<StreamFile> file_;
    std::int64_t startMs_ = 0;
    std::int64_t plannedFrames_ = 0;  // 0: none
    std::int64_t lastHeaderMs_ = 0;
    std::int64_t lastSeenMs_ = 0;
    std::int64_t framesWritten_ = 0;
    std::uint64_t partBytes_ = 0;
    std::uint64_t totalBytes_ = 0;
    bool silent_ = false;
};

}  // namespace sonorin
