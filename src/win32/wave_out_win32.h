// Sound output through waveOut: a ring of buffers filled by the player's worker thread.
// reset() may be called from any thread and silences the device at once.
#pragma once

#include <windows.h>

#include <mmsystem.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "radio/player/session.h"

namespace sonorin::win32 {

class WaveOutRing {
  public:
    explicit WaveOutRing(const std::atomic<bool>& stop) : stop_(stop) {}
    ~WaveOutRing() { close(); }
    WaveOutRing(const WaveOutRing&) = delete;
    WaveOutRing& operator=(const WaveOutRing&) = delete;

    // Opens the default output for this format, after playing out what the last one queued.
    bool open(const radio::PcmFormat& format);
    const radio::PcmFormat& format() const { return format_; }
    bool isOpen() const { return device_ != nullptr; }
    // Queues samples; waits while every buffer is playing (returns early on a stop). False on
    // a stop, or when the device refused a buffer or stopped playing (failed() tells).
    bool write(const std::uint8_t* bytes, std::size_t size);
    // The device went away under the ring (unplugged, its driver gone): close and open again.
    bool failed() const { return failed_; }
    // Plays out what is queued and waits until it has been heard (or a stop).
    void drain();
    // Drops what is queued: silence now.
    void reset();
    // The output level, 0 to 1: for the device open now (at once) and those opened later. May
    // be called from any thread.
    void setVolume(double level);
    void close();

  private:
    struct Buffer {
        WAVEHDR header{};
        std::vector<char> data;
        bool queued = false;
    };
    bool submitCurrent();
    Buffer* freeBuffer();

    const std::atomic<bool>& stop_;
    void applyVolume();  // with mutex_ held

    std::mutex mutex_;  // the device handle and level, between the worker and the outside
    HWAVEOUT device_ = nullptr;
    double volume_ = 1;
    HANDLE done_ = nullptr;
    radio::PcmFormat format_;
    std::vector<Buffer> buffers_;
    std::size_t current_ = 0;  // the buffer being filled
    std::size_t filled_ = 0;
    bool failed_ = false;
};

}  // namespace sonorin::win32
