#include "recorder/station_take.h"

#include <algorithm>
#include <functional>

namespace sonorin {

void StationTake::decoded(const DecodedFormat& format, const std::uint8_t* bytes,
                          std::size_t size) {
    std::lock_guard lock(mutex_);
    if (!accepting_)
        return;
    converter_->convert(format, bytes, size, held_);
    // Bounded whatever the player does: when the file falls this far behind (the
    // user-interface thread held up), the oldest sound goes.
    const std::size_t align = static_cast<std::size_t>(format_.blockAlign());
    const std::size_t most =
        static_cast<std::size_t>(format_.bytesPerSecond() * limits_.heldMs / 1000) / align * align;
    if (held_.size() > most)
        held_.erase(0, (held_.size() - most) / align * align);
}

bool StationTake::start(const std::string& path, const TakeFormat& format, std::int64_t nowMs,
                        std::int64_t plannedMs) {
    if (recording())
        finish();
    format_ = format;
    path_ = path;
    parts_.clear();
    partBytes_ = 0;
    totalBytes_ = 0;
    framesWritten_ = 0;
    startMs_ = lastHeaderMs_ = lastSeenMs_ = nowMs;
    plannedFrames_ = plannedMs * format.rate / 1000;
    silent_ = false;
    file_ = fs_.createStream(path);
    if (!file_)
        return false;
    parts_.push_back(path);
    if (!writeHeader()) {
        file_.reset();
        fs_.deleteFile(path);
        parts_.clear();
        return false;
    }
    std::lock_guard lock(mutex_);
    held_.clear();
    converter_ = std::make_unique<PcmConverter>(format);
    accepting_ = true;
    return true;
}

std::int64_t StationTake::framesAt(std::int64_t nowMs) const {
    const std::int64_t frames = std::max<std::int64_t>(0, nowMs - startMs_) * format_.rate / 1000;
    return plannedFrames_ > 0 ? std::min(frames, plannedFrames_) : frames;
}

void StationTake::skipPause(std::int64_t nowMs) {
    const std::int64_t gap = nowMs - lastSeenMs_;
    lastSeenMs_ = std::max(lastSeenMs_, nowMs);
    if (gap <= limits_.pauseAfterMs)
        return;
    // Filling the gap with silence would write hours of it in one call on the window thread
    // (gigabytes after a night) before the disk is looked at again. The take pauses instead;
    // a programmed one loses the gap from its planned length, since its stop time is on the
    // wall clock.
    startMs_ += gap;
    if (plannedFrames_ > 0) {
        plannedFrames_ =
            std::max<std::int64_t>({plannedFrames_ - gap * format_.rate / 1000, framesWritten_, 1});
    }
}

std::int64_t StationTake::lengthMs() const {
    const std::int64_t perSecond = format_.bytesPerSecond();
    return perSecond > 0 ? static_cast<std::int64_t>(totalBytes_ * 1000 / perSecond) : 0;
}

std::string StationTake::partName(const std::string& path, std::size_t n) {
    if (n <= 1)
        return path;
    const std::size_t slash = path.rfind('\\');
    const std::size_t dot = path.rfind('.');
    const std::string suffix = "_" + std::to_string(n);
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + suffix;
    return path.substr(0, dot) + suffix + path.substr(dot);
}

bool StationTake::writeHeader() {
    const std::string header = wavHeader(format_, static_cast<std::uint32_t>(partBytes_));
    return file_ && file_->writeAt(0, header.data(), header.size());
}

bool StationTake::nextPart() {
    writeHeader();
    file_->close();
    const std::string name = partName(path_, parts_.size() + 1);
    file_ = fs_.createStream(name);
    if (!file_)
        return false;
    parts_.push_back(name);
    partBytes_ = 0;
    return writeHeader();
}

bool StationTake::write(const char* bytes, std::size_t size) {
    const std::uint64_t align = static_cast<std::uint64_t>(format_.blockAlign());
    const std::uint64_t perPart = limits_.partBytes / align * align;
    while (size > 0) {
        if (partBytes_ >= perPart) {
            if (!nextPart())
                return false;
            continue;
        }
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(size, perPart - partBytes_));
        if (!file_->append(bytes, n))
            return false;
        partBytes_ += n;
        totalBytes_ += n;
        framesWritten_ += static_cast<std::int64_t>(n / align);
        bytes += n;
        size -= n;
    }
    return true;
}

namespace {

// Silence in the take's format: 8-bit samples are unsigned, their middle is 128.
bool writeSilence(std::int64_t frames, const TakeFormat& format,
                  const std::function<bool(const char*, std::size_t)>& write) {
    if (frames <= 0)
        return true;
    const std::string block(static_cast<std::size_t>(format.blockAlign()) * 4096,
                            format.bits == 8 ? '\x80' : '\0');
    std::uint64_t left = static_cast<std::uint64_t>(frames) * format.blockAlign();
    while (left > 0) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, block.size()));
        if (!write(block.data(), n))
            return false;
        left -= n;
    }
    return true;
}

}  // namespace

StationTake::Ended StationTake::pump(std::int64_t nowMs) {
    if (!file_)
        return Ended::No;
    skipPause(nowMs);
    const std::int64_t due = framesAt(nowMs);
    const std::int64_t align = format_.blockAlign();
    std::string sound;
    {
        std::lock_guard lock(mutex_);
        const std::int64_t frames = std::min<std::int64_t>(
            static_cast<std::int64_t>(held_.size()) / align, due - framesWritten_);
        if (frames > 0) {
            sound = held_.substr(0, static_cast<std::size_t>(frames * align));
            held_.erase(0, sound.size());
        }
    }
    auto put = [this](const char* bytes, std::size_t size) { return write(bytes, size); };
    bool ok = sound.empty() || write(sound.data(), sound.size());
    // Sound that is late by more than a moment is not coming: silence holds its place, so
    // the take stays as long as the time it has run.
    const std::int64_t late = limits_.lateMs * format_.rate / 1000;
    const std::int64_t missing = due - late - framesWritten_;
    if (missing > 0) {
        silent_ = true;
        ok = ok && writeSilence(missing, format_, put);
    } else if (!sound.empty()) {
        silent_ = false;
    }
    if (!ok) {
        finish();
        return Ended::WriteFailed;
    }
    if (nowMs - lastHeaderMs_ >= limits_.headerEveryMs) {
        lastHeaderMs_ = nowMs;
        if (!writeHeader() || !file_->flush()) {
            finish();
            return Ended::WriteFailed;
        }
        const std::size_t slash = path_.rfind('\\');
        const auto free =
            fs_.freeSpace(slash == std::string::npos ? path_ : path_.substr(0, slash));
        if (free && *free < limits_.spareBytes) {
            finish();
            return Ended::DiskFull;
        }
    }
    return Ended::No;
}

void StationTake::stop(std::int64_t nowMs) {
    skipPause(nowMs);
    finishAt(framesAt(nowMs));
}

void StationTake::stopAtPlannedLength(std::int64_t nowMs) {
    skipPause(nowMs);
    finishAt(plannedFrames_ > 0 ? plannedFrames_ : framesWritten_);
}

void StationTake::finishAt(std::int64_t due) {
    if (!file_)
        return;
    const std::int64_t align = format_.blockAlign();
    std::string sound;
    {
        std::lock_guard lock(mutex_);
        const std::int64_t frames = std::min<std::int64_t>(
            static_cast<std::int64_t>(held_.size()) / align, due - framesWritten_);
        if (frames > 0)
            sound = held_.substr(0, static_cast<std::size_t>(frames * align));
    }
    if (sound.empty() || write(sound.data(), sound.size())) {
        writeSilence(due - framesWritten_, format_,
                     [this](const char* bytes, std::size_t size) { return write(bytes, size); });
    }
    finish();
}

void StationTake::finish() {
    {
        std::lock_guard lock(mutex_);
        accepting_ = false;
        held_.clear();
    }
    if (!file_)
        return;
    writeHeader();
    file_->flush();
    file_->close();
    file_.reset();
    silent_ = false;
}

void StationTake::discard() {
    finish();
    for (const std::string& part : parts_)
        fs_.deleteFile(part);
    parts_.clear();
}

}  // namespace sonorin
