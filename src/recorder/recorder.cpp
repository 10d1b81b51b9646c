#include "recorder/recorder.h"

#include <algorithm>
#include <limits>

#include "base/app_title.h"
#include "base/datetext.h"
#include "base/text.h"

namespace sonorin {
namespace {

constexpr const char* kSaveFailed = "Saving file failed, file name was: ";

std::uint32_t readLe(const std::string& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

std::string le32(std::uint32_t value) {
    std::string out;
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

// Sets the sizes in a take's header to what the file holds. A file whose head is not the
// header a take writes is left as it is.
void mendHeader(FileSystem& fs, const std::string& path) {
    const auto size = fs.fileSize(path);
    auto file = fs.openStream(path);
    if (!size || !file)
        return;
    const auto head = file->readAt(0, 44);
    if (!head || head->size() < 44 || head->compare(0, 4, "RIFF") != 0 ||
        head->compare(8, 8, "WAVEfmt ") != 0 || head->compare(36, 4, "data") != 0)
        return;
    const std::uint32_t align = readLe(*head, 32, 2);
    if (align == 0)
        return;
    std::uint64_t data = std::min<std::uint64_t>(*size - 44, 0xFFFFFFFFull - 36);
    data -= data % align;
    file->writeAt(4, le32(static_cast<std::uint32_t>(data + 36)).data(), 4);
    file->writeAt(40, le32(static_cast<std::uint32_t>(data)).data(), 4);
    file->flush();
}

}  // namespace

Recorder::Recorder(modWave& wave, StationTake& take, Mci& mci, FileSystem& fs, Clock& clock,
                   Prompts& prompts, RecorderState& state)
    : wave_(wave),
      take_(take),
      mci_(mci),
      fs_(fs),
      clock_(clock),
      prompts_(prompts),
      state_(state) {}

void Recorder::fail(const std::string& message) {
    if (heldFailures_) {
        heldFailures_->push_back(message);
        return;
    }
    prompts_.messageBox(message, kAppTitle, MsgButtons::Ok, MsgIcon::None);
}

void Recorder::endPlayback() {
    if (!playingBack_)
        return;
    playingBack_ = false;
    // A new, empty device closes the file it played; the take in that file stays as it was.
    const bool unsaved = state_.TakeUnsaved;
    wave_.OpenCaptureDevice();
    state_.TakeUnsaved = unsaved;
}

void Recorder::OpenCaptureDevice() {
    if (take_.recording())
        take_.stop(clock_.tickMs());
    playingBack_ = false;
    wave_.OpenCaptureDevice();
    // A new take replaces the old one, whichever source recorded it.
    if (keepFiles_)
        take_.forget();
    else
        take_.discard();
    keepFiles_ = false;
}

void Recorder::ApplyCaptureFormat() {
    wave_.ApplyCaptureFormat();
}

void Recorder::StartRecording(CaptureSource source) {
    takeSource_ = source;
    if (takeSource_ == CaptureSource::SoundCard) {
        wave_.StartRecording();
        return;
    }
    endPlayback();
    const std::string folder = recordingsFolder();
    if (fs_.findFirst(folder + "\\", true).empty())
        fs_.createFolder(folder);
    std::string stem = "录音_从" + formatDateTime(clock_.now(), clock_.dateFormats());
    stem = replaceAll(replaceAll(replaceAll(std::move(stem), ":", "."), " ", "_"), "/", "-");
    std::string path;
    for (int n = 1; n < 100; ++n) {
        path = folder + "\\" + stem + (n > 1 ? "(" + std::to_string(n) + ")" : "") +
               kUnfinishedMark + ".wav";
        if (fs_.findFirst(path, true).empty())
            break;
    }
    // A programmed take started on the tick after its start time is as long as its times say.
    const std::int64_t late = clock_.now().serial() - state_.StartTime.serial();
    planned_ =
        !state_.RecordImmediate && late >= 0 && late <= 2 && state_.StopTime > state_.StartTime;
    const std::int64_t plannedMs =
        planned_ ? (state_.StopTime.serial() - state_.StartTime.serial()) * 1000 : 0;
    const TakeFormat format{state_.Rate, state_.Channels, state_.Resolution};
    if (!take_.start(path, format, clock_.tickMs(), plannedMs)) {
        fail("无法创建录音文件：" + path);
        return;
    }
    state_.TakeUnsaved = true;
}

void Recorder::StopRecording() {
    if (!stationTake()) {
        wave_.StopRecording();
    } else if (take_.recording()) {
        if (planned_ && clock_.now() > state_.StopTime)
            take_.stopAtPlannedLength(clock_.tickMs());
        else
            take_.stop(clock_.tickMs());
        nameStoppedTake();
    } else if (playingBack_) {
        wave_.StopRecording();
    }
}

void Recorder::nameStoppedTake() {
    const std::vector<std::string> parts = take_.parts();
    if (take_.recording() || parts.empty() ||
        parts.front().find(kUnfinishedMark) == std::string::npos)
        return;
    const DateFormats& formats = clock_.dateFormats();
    std::string stem = "录音_从" + formatDateTime(state_.StartTime, formats) + "到" +
                       formatDateTime(clock_.now(), formats);
    stem = replaceAll(replaceAll(replaceAll(std::move(stem), ":", "-"), " ", "_"), "/", "-");
    const std::string folder = recordingsFolder() + "\\";
    std::string path;
    for (int n = 1; n < 100; ++n) {
        path = folder + stem + (n > 1 ? "(" + std::to_string(n) + ")" : "") + kUnsavedMark + ".wav";
        if (fs_.findFirst(path, true).empty())
            break;
    }
    std::vector<std::string> named;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string target = StationTake::partName(path, i + 1);
        if (!fs_.renameFile(parts[i], target)) {
            for (std::size_t j = 0; j < named.size(); ++j)
                fs_.renameFile(named[j], parts[j]);
            return;
        }
        named.push_back(target);
    }
    take_.renamed(std::move(named));
}

std::vector<std::string> Recorder::keepUnsavedTake() {
    if (!stationTake() || take_.recording() || take_.parts().empty())
        return {};
    keepFiles_ = true;
    return take_.parts();
}

bool Recorder::SaveRecording(const std::string& path) {
    if (!stationTake())
        return wave_.SaveRecording(path);
    if (take_.recording())
        take_.stop(clock_.tickMs());
    endPlayback();
    const std::vector<std::string> parts = take_.parts();
    if (parts.empty()) {
        fail(kSaveFailed + path);
        return false;
    }
    // Files in the way are moved aside first and given back when the save fails.
    std::vector<std::pair<std::string, std::string>> aside;
    std::vector<std::string> moved;
    bool ok = true;
    for (std::size_t i = 0; ok && i < parts.size(); ++i) {
        const std::string target = StationTake::partName(path, i + 1);
        if (target == parts[i]) {
            moved.push_back(target);
            continue;
        }
        if (!fs_.findFirst(target, false).empty()) {
            std::string old = target + ".old";
            for (int n = 2; !fs_.findFirst(old, true).empty() && n < 1000; ++n)
                old = target + ".old" + std::to_string(n);
            if (!fs_.renameFile(target, old)) {
                ok = false;
                break;
            }
            aside.emplace_back(old, target);
        }
        ok = fs_.moveFile(parts[i], target);
        if (ok)
            moved.push_back(target);
    }
    if (!ok) {
        for (std::size_t i = 0; i < moved.size(); ++i) {
            if (moved[i] != parts[i])
                fs_.moveFile(moved[i], parts[i]);
        }
        for (const auto& [old, target] : aside)
            fs_.renameFile(old, target);
        fail(kSaveFailed + path);
        return false;
    }
    for (const auto& [old, target] : aside)
        fs_.deleteFile(old);
    take_.forget();
    state_.TakeUnsaved = false;
    return true;
}

void Recorder::UpdateRecorderStatus() {
    if (!stationTake() || playingBack_) {
        wave_.UpdateRecorderStatus();
        return;
    }
    state_.WaveStatus = take_.recording() ? "AudioRecorder: 正在录音" : "AudioRecorder: 停止";
}

void Recorder::DescribeRecording() {
    if (!stationTake()) {
        wave_.DescribeRecording();
        return;
    }
    const TakeFormat& f = take_.format();
    std::string text = describeTake(take_.lengthMs(), static_cast<std::int64_t>(take_.bytes()),
                                    f.channels, f.bits, f.rate);
    if (take_.recording()) {
        // The silence first: in the compact window only the start of the text shows.
        text = std::string(take_.silent() ? "正在录入静音（电台没有声音） | " : "") +
               "录音来源：正在收听的电台 | " + text;
    }
    state_.WaveDescription = text;
}

void Recorder::CloseCaptureDevice() {
    if (take_.recording())
        take_.stop(clock_.tickMs());
    wave_.CloseCaptureDevice();
}

std::int32_t Recorder::GetCapturePosition() {
    if (!stationTake())
        return wave_.GetCapturePosition();
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(take_.lengthMs(), std::numeric_limits<std::int32_t>::max()));
}

void Recorder::PlayFromPosition(std::int32_t ms) {
    if (stationTake() && !take_.recording() && !take_.parts().empty()) {
        // The device plays the take's (first) file in place of an empty recording.
        mci_.send("close all");
        if (mci_.send("open \"" + take_.parts().front() + "\" type waveaudio alias capture").code ==
            0)
            playingBack_ = true;
    }
    wave_.PlayFromPosition(ms);
}

bool Recorder::soundCardSilent(bool stationPlays) {
    if (stationTake() || !stationPlays || state_.WaveStatus.find("正在录音") == std::string::npos) {
        quietSinceMs_ = -1;
        return false;
    }
    // The level of the sample being recorded, the left channel in the low word and the right
    // in the high one. A device that cannot tell gives no hint.
    const MciResult level = mci_.send("status capture level");
    const std::int64_t value = level.code == 0 ? parseMciNumber(level.reply) : -1;
    const std::int64_t loudest = std::max(value & 0xFFFF, (value >> 16) & 0xFFFF);
    const std::int64_t now = clock_.tickMs();
    // Below 1 % of full scale (16-bit levels go to 32767, 8-bit ones to 127).
    if (value < 0 || loudest > (state_.Resolution == 8 ? 1 : 327)) {
        quietSinceMs_ = -1;
        return false;
    }
    if (quietSinceMs_ < 0)
        quietSinceMs_ = now;
    return now - quietSinceMs_ >= 10000;
}

std::string Recorder::tick() {
    if (!stationTake() || !take_.recording())
        return {};
    const StationTake::Ended ended = take_.pump(clock_.tickMs());
    if (ended == StationTake::Ended::No)
        return {};
    keepFiles_ = true;
    nameStoppedTake();
    std::string files;
    for (const std::string& part : take_.parts())
        files += "\r\n" + part;
    if (ended == StationTake::Ended::DiskFull)
        return "磁盘空间快用完了，电台录音已停止。已经录下的部分保存在：" + files;
    return "录音文件无法继续写入（磁盘已满，或录音文件夹被删除、设为只读），电台录音已停止。"
           "已经录下的部分保存在：" +
           files;
}

std::vector<std::string> Recorder::recoverUnfinishedTakes() {
    std::vector<std::string> recovered;
    const std::string folder = recordingsFolder() + "\\";
    const std::string mark = kUnfinishedMark;
    for (const std::string& name : fs_.filesIn(folder)) {
        const std::size_t at = name.rfind(mark);
        if (at == std::string::npos || name.size() < 4 ||
            name.compare(name.size() - 4, 4, ".wav") != 0)
            continue;
        const std::string path = folder + name;
        const auto& ours = take_.parts();
        if (std::find(ours.begin(), ours.end(), path) != ours.end())
            continue;  // this run's own take
        mendHeader(fs_, path);
        const std::string before = name.substr(0, at);
        const std::string after = name.substr(at + mark.size());
        for (int n = 1; n < 100; ++n) {
            const std::string target = folder + before + kRecoveredMark +
                                       (n > 1 ? "(" + std::to_string(n) + ")" : "") + after;
            if (fs_.findFirst(target, true).empty()) {
                if (fs_.renameFile(path, target))
                    recovered.push_back(target);
                break;
            }
        }
    }
    return recovered;
}

}  // namespace sonorin
