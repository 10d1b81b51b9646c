// The station player: plays one internet radio station at a time through the program itself.
// play() and stop() return at once; the work (network, decoding, output) happens elsewhere and
// never blocks the caller. Callbacks are delivered on the user-interface thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace sonorin {

struct Station {
    std::string name;
    // Stream or playlist address; empty means "find it by name in the station directory".
    std::string address;
};

enum class PlayerState { Stopped, Connecting, Playing, Failed };

// Interleaved little-endian PCM as the decoders hand it to the sound card.
struct DecodedFormat {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
};

// Hears the decoded sound of the station, on the player's worker thread, a little ahead of
// the sound card and in bursts (the output's own buffer fills first).
class PcmListener {
  public:
    virtual ~PcmListener() = default;
    virtual void decoded(const DecodedFormat& format, const std::uint8_t* bytes,
                         std::size_t size) = 0;
};

// Where the player's workers deliver their sound. Shared with the workers, which may outlive
// the player; once attach(nullptr) has returned, the old listener is neither called nor about
// to be.
class PcmTap {
  public:
    void attach(PcmListener* listener) {
        std::lock_guard lock(mutex_);
        listener_ = listener;
    }
    void deliver(const DecodedFormat& format, const std::uint8_t* bytes, std::size_t size) {
        std::lock_guard lock(mutex_);
        if (listener_)
            listener_->decoded(format, bytes, size);
    }

  private:
    std::mutex mutex_;
    PcmListener* listener_ = nullptr;
};

class StationPlayer {
  public:
    virtual ~StationPlayer() = default;
    // Stops whatever plays, then starts this station.
    virtual void play(const Station& station) = 0;
    // Silent within 100 ms.
    virtual void stop() = 0;
    // The process is about to end: stops, and gives work running elsewhere a short while to
    // let go of the sound device and the connection.
    virtual void stopForExit() { stop(); }
    virtual PlayerState state() const = 0;
    // The station being played or tried; empty when stopped.
    virtual Station current() const = 0;
    // A short status in Chinese for the user ("正在连接…", "无法连接电台", …).
    virtual std::string statusText() const = 0;
    // The stream's own title (ICY StreamTitle) when it sends one, else empty.
    virtual std::string nowPlaying() const = 0;

    // State, status or title changed.
    std::function<void()> onChanged;
    // The program's own output level, 0 (silent) to 1 (as decoded), linear in amplitude. It
    // holds for every station played from now on and for the one playing; what the tap hears
    // is the decoded sound as it was, so that a take does not follow the volume.
    virtual void setVolume(double level) { volume_ = level < 0 ? 0 : level > 1 ? 1 : level; }
    double volume() const { return volume_; }
    // A station without an address was found in the directory and played from this address.
    std::function<void(const Station& found)> onAddressFound;
    // Every decoded sound the player plays passes through here.
    const std::shared_ptr<PcmTap> pcmTap = std::make_shared<PcmTap>();

  private:
    double volume_ = 1;
};

}  // namespace sonorin
