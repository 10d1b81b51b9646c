#include "win32/wave_out_win32.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace sonorin::win32 {

namespace {

// 16 buffers of a tenth of a second: enough to ride out a slow read, short enough that a
// station starts at once (the first buffer goes out as soon as it is full).
constexpr int kBuffers = 16;
constexpr int kBufferMs = 100;
// A buffer that has not played out this long after it was due never will: the device is gone
// (a lost device can keep taking buffers and never return them).
constexpr ULONGLONG kStuckMs = kBuffers * kBufferMs + 3000;

}  // namespace

bool WaveOutRing::open(const radio::PcmFormat& format) {
    if (device_ && format == format_)
        return true;
    drain();
    close();
    WAVEFORMATEX wave = {};
    wave.wFormatTag = WAVE_FORMAT_PCM;
    wave.nChannels = WORD(format.channels);
    wave.nSamplesPerSec = DWORD(format.sampleRate);
    wave.wBitsPerSample = WORD(format.bitsPerSample);
    wave.nBlockAlign = WORD(format.channels * format.bitsPerSample / 8);
    wave.nAvgBytesPerSec = wave.nSamplesPerSec * wave.nBlockAlign;
    done_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HWAVEOUT device = nullptr;
    if (!done_ || waveOutOpen(&device, WAVE_MAPPER, &wave, DWORD_PTR(done_), 0, CALLBACK_EVENT) !=
                      MMSYSERR_NOERROR) {
        close();
        return false;
    }
    format_ = format;
    const std::size_t bytes =
        std::max<std::size_t>(wave.nBlockAlign, wave.nAvgBytesPerSec * kBufferMs / 1000 /
                                                    wave.nBlockAlign * wave.nBlockAlign);
    buffers_ = std::vector<Buffer>(kBuffers);
    for (Buffer& buffer : buffers_) {
        buffer.data.resize(bytes);
        buffer.header.lpData = buffer.data.data();
        buffer.header.dwBufferLength = DWORD(bytes);
        waveOutPrepareHeader(device, &buffer.header, sizeof buffer.header);
    }
    current_ = 0;
    filled_ = 0;
    std::lock_guard lock(mutex_);
    device_ = device;
    applyVolume();
    return true;
}

WaveOutRing::Buffer* WaveOutRing::freeBuffer() {
    Buffer& buffer = buffers_[current_];
    const ULONGLONG since = GetTickCount64();
    while (buffer.queued && !(buffer.header.dwFlags & WHDR_DONE)) {
        if (stop_)
            return nullptr;
        if (GetTickCount64() - since > kStuckMs) {
            failed_ = true;
            return nullptr;
        }
        WaitForSingleObject(done_, 20);
    }
    buffer.queued = false;
    return &buffer;
}

bool WaveOutRing::submitCurrent() {
    Buffer& buffer = buffers_[current_];
    std::lock_guard lock(mutex_);
    if (!device_ || stop_)
        return false;
    buffer.header.dwBufferLength = DWORD(filled_);
    buffer.header.dwFlags &= ~DWORD(WHDR_DONE);
    if (waveOutWrite(device_, &buffer.header, sizeof buffer.header) != MMSYSERR_NOERROR) {
        failed_ = true;
        return false;
    }
    buffer.queued = true;
    current_ = (current_ + 1) % buffers_.size();
    filled_ = 0;
    return true;
}

bool WaveOutRing::write(const std::uint8_t* bytes, std::size_t size) {
    if (!device_)
        return false;
    while (size > 0) {
        Buffer* buffer = freeBuffer();
        if (!buffer)
            return false;
        const std::size_t n = std::min(size, buffer->data.size() - filled_);
        std::memcpy(buffer->data.data() + filled_, bytes, n);
        filled_ += n;
        bytes += n;
        size -= n;
        if (filled_ == buffer->data.size() && !submitCurrent())
            return false;
    }
    return true;
}

void WaveOutRing::drain() {
    if (!device_ || failed_)
        return;
    if (filled_ > 0 && freeBuffer())
        submitCurrent();
    const ULONGLONG since = GetTickCount64();
    for (Buffer& buffer : buffers_) {
        while (buffer.queued && !(buffer.header.dwFlags & WHDR_DONE) && !stop_ &&
               GetTickCount64() - since < kStuckMs)
            WaitForSingleObject(done_, 20);
    }
}

void WaveOutRing::setVolume(double level) {
    std::lock_guard lock(mutex_);
    volume_ = level;
    applyVolume();
}

// The device's own level for this output: it acts on the sound already queued too, which a
// scaling of the samples as they are queued would reach only a ring's length later.
void WaveOutRing::applyVolume() {
    if (!device_)
        return;
    const auto channel = DWORD(std::lround(std::clamp(volume_, 0.0, 1.0) * 0xFFFF));
    waveOutSetVolume(device_, channel | (channel << 16));
}

void WaveOutRing::reset() {
    std::lock_guard lock(mutex_);
    if (device_)
        waveOutReset(device_);
}

void WaveOutRing::close() {
    HWAVEOUT device = nullptr;
    {
        std::lock_guard lock(mutex_);
        std::swap(device, device_);
    }
    if (device) {
        waveOutReset(device);
        for (Buffer& buffer : buffers_)
            waveOutUnprepareHeader(device, &buffer.header, sizeof buffer.header);
        waveOutClose(device);
    }
    buffers_.clear();
    failed_ = false;
    filled_ = 0;
    current_ = 0;
    if (done_) {
        CloseHandle(done_);
        done_ = nullptr;
    }
}

}  // namespace sonorin::win32
