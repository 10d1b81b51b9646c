#include "recorder/modWave.h"

#include <limits>
#include <optional>

#include "base/app_title.h"
#include "base/text.h"

namespace sonorin {
namespace {

constexpr const char* kCrLf = "\r\n";
constexpr std::size_t kMaxStatusChars = 255;

// Cuts UTF-8 text after maxChars characters, never inside a character.
std::string limitChars(const std::string& text, std::size_t maxChars) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte & 0xC0) != 0x80 && chars++ == maxChars)
            return text.substr(0, i);
    }
    return text;
}

// A number as the description writes it: one blank in front, or the minus sign in its place.
std::string spaced(std::int64_t value) {
    std::string text = value < 0 ? "" : " ";
    text += std::to_string(value);
    return text;
}

// Milliseconds as seconds with up to three decimals and no trailing zeros, written like
// spaced(): 12345 -> " 12.345", 5000 -> " 5", -1500 -> "-1.5".
std::string spacedSeconds(std::int64_t ms) {
    const bool negative = ms < 0;
    // Unsigned so that the most negative value has a magnitude too.
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(ms) : static_cast<std::uint64_t>(ms);
    std::string text = negative ? "-" : " ";
    text += std::to_string(magnitude / 1000);
    if (const auto fraction = magnitude % 1000; fraction != 0) {
        std::string digits = std::to_string(1000 + fraction).substr(1);
        while (digits.back() == '0') {
            digits.pop_back();
        }
        text += '.';
        text += digits;
    }
    return text;
}

}  // namespace

std::int64_t parseMciNumber(const std::string& reply) {
    std::size_t i = reply.find_first_not_of(" \t");
    if (i == std::string::npos)
        return 0;
    bool negative = false;
    if (reply[i] == '+' || reply[i] == '-')
        negative = reply[i++] == '-';
    std::uint64_t magnitude = 0;
    bool anyDigit = false;
    // The most negative value has a magnitude one larger than the most positive one.
    const std::uint64_t limit =
        static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + (negative ? 1 : 0);
    for (; i < reply.size() && reply[i] >= '0' && reply[i] <= '9'; ++i) {
        const auto digit = static_cast<std::uint64_t>(reply[i] - '0');
        if (magnitude > (limit - digit) / 10)
            return 0;
        magnitude = magnitude * 10 + digit;
        anyDigit = true;
    }
    if (!anyDigit)
        return 0;
    // Negated in unsigned arithmetic, so that 2^63 becomes the most negative value.
    return static_cast<std::int64_t>(negative ? 0 - magnitude : magnitude);
}

modWave::modWave(Mci& mci, FileSystem& fs, Prompts& prompts, RecorderState& state)
    : mci_(mci), fs_(fs), prompts_(prompts), state_(state) {}

void modWave::fail(const std::string& message) {
    if (heldFailures_) {
        heldFailures_->push_back(message);
        return;
    }
    prompts_.messageBox(message, kAppTitle, MsgButtons::Ok, MsgIcon::None);
}

std::string modWave::send(const std::string& command, const char* failure,
                          const char* secondFailure) {
    MciResult result = mci_.send(command);
    if (result.code == 0)
        return result.reply;
    fail(failure);
    if (secondFailure != nullptr)
        fail(secondFailure);
    return {};
}

bool modWave::FileExists(const std::string& path) {
    return !path.empty() && !fs_.findFirst(path, false).empty();
}

bool modWave::HasSpace(const std::string& text) {
    return text.find(' ') != std::string::npos;
}

std::string modWave::ShortPathOf(const std::string& path) {
    if (auto shortForm = fs_.shortPath(path))
        return *shortForm;
    // A file that does not exist has no short form: create it empty for a moment so that
    // the system assigns one. When even that fails (missing folder, no rights) the path
    // goes back unchanged and the save that follows reports its own failure.
    if (!fs_.createEmptyFile(path))
        return path;
    auto shortForm = fs_.shortPath(path);
    fs_.deleteFile(path);
    return shortForm ? *shortForm : path;
}

void modWave::OpenCaptureDevice() {
    send("close all", "Closing all MCI operations failed!");
    send("open new type waveaudio alias capture", "Opening new wave failed!");
    state_.TakeUnsaved = false;  // a new device holds no take
}

void modWave::ApplyCaptureFormat() {
    // 64-bit so that odd stored settings cannot overflow; the allowed formats give
    // alignments of 1, 2 or 4 bytes.
    const std::int64_t alignment =
        std::int64_t{state_.Channels} * std::int64_t{state_.Resolution} / 8;
    const std::int64_t bytesPerSecond = alignment * state_.Rate;
    send("seek capture to start", "Starting recording failed!");
    // The device reports an unsupported format on the next record or save; this command's
    // own result is deliberately not looked at.
    mci_.send("set capture alignment " + std::to_string(alignment) + " bitspersample " +
              std::to_string(state_.Resolution) + " samplespersec " + std::to_string(state_.Rate) +
              " channels " + std::to_string(state_.Channels) + " bytespersec " +
              std::to_string(bytesPerSecond));
}

void modWave::StartRecording() {
    send("record capture", "Recording not possible, please restart your computer...");
    state_.TakeUnsaved = true;
}

void modWave::StopRecording() {
    send("stop capture", "Stopping recording failed!");
}

std::string modWave::asideName(const std::string& path) {
    std::string name = path + ".old";
    for (int n = 2; FileExists(name); ++n) {
        if (n > 999)
            return {};
        name = path + ".old" + std::to_string(n);
    }
    return name;
}

bool modWave::writtenWhole(const std::string& file) {
    const std::optional<std::uint64_t> size = fs_.fileSize(file);
    if (!size)
        return false;
    // The length of the take's sound data; the file adds its header. A device that cannot
    // tell leaves only the file's existence to go by.
    std::int64_t takeBytes = 0;
    if (mci_.send("set capture time format bytes").code == 0) {
        const MciResult length = mci_.send("status capture length");
        if (length.code == 0)
            takeBytes = parseMciNumber(length.reply);
    }
    return takeBytes <= 0 || *size >= static_cast<std::uint64_t>(takeBytes);
}

bool modWave::SaveRecording(const std::string& path) {
    // An existing file is moved aside in its own folder rather than deleted, so that a save
    // that fails (a full disk, a failed device) can give it back.
    std::string aside;
    if (FileExists(path)) {
        aside = asideName(path);
        if (aside.empty() || !fs_.renameFile(path, aside)) {
            aside.clear();
            fs_.deleteFile(path);
        }
    }
    std::string target = path;
    std::string written = path;
    std::string shortForm;
    if (HasSpace(path)) {
        shortForm = ShortPathOf(path);
        if (HasSpace(shortForm)) {
            // No usable short name (a volume without 8.3 names, or a folder that does not
            // exist): MCI takes a quoted path as it is, and there is nothing to rename later.
            target = "\"" + path + "\"";
            shortForm.clear();
        } else {
            target = written = shortForm;
        }
    }
    // A save can report success and still leave a truncated file (Wine, out of space), so
    // the written file is measured before the save counts as done.
    const bool saved = mci_.send("save capture " + target).code == 0 && writtenWhole(written);
    if (saved) {
        if (!shortForm.empty()) {
            state_.SavedShortName = shortForm;
            state_.SavedLongName = path;
            state_.RenamePending = true;
        }
        if (!aside.empty())
            fs_.deleteFile(aside);
        state_.TakeUnsaved = false;
        return true;
    }
    if (!aside.empty()) {
        if (FileExists(written) && !fs_.deleteFile(written)) {
            // The device may keep open the file it has just written (Wine's does); a new,
            // empty device lets go of it. The take it held is no longer whole anyway.
            OpenCaptureDevice();
            fs_.deleteFile(written);
        }
        fs_.renameFile(aside, path);
    }
    fail("Saving file failed, file name was: " + path);
    return false;
}

void modWave::UpdateRecorderStatus() {
    const std::string mode = send("status capture mode", "Failure getting wave status...");
    std::string status = "AudioRecorder: " + mode;
    status = replaceAll(status, "stopped", "停止");
    status = replaceAll(status, "recording", "正在录音");
    status = replaceAll(status, "playing", "正在回放");
    state_.WaveStatus = limitChars(status, kMaxStatusChars);
}

std::string describeTake(std::int64_t lengthMs, std::int64_t lengthBytes, std::int64_t channels,
                         std::int64_t bits, std::int64_t rate) {
    std::string text = "时长:";
    text += spacedSeconds(lengthMs);
    text += "秒";
    text += "(";
    text += spaced(lengthBytes);
    text += "字节)";
    text += kCrLf;
    if (channels == 1) {
        text += " 单声道 - ";
    } else if (channels == 2) {
        text += " 立体声 - ";
    }
    text += spaced(bits);
    text += " bits - ";
    text += spaced(rate);
    text += " samples per second ";
    text += kCrLf;
    text += kCrLf;
    return text;
}

void modWave::DescribeRecording() {
    send("set capture time format ms", "Setting time format in milliseconds failed!");
    const std::int64_t lengthMs = parseMciNumber(
        send("status capture length", "Finding 时长(字节): in milliseconds failed!"));
    send("set capture time format bytes", "Setting time format in bytes failed!");
    // Bytes are kept in 64 bits: a stereo 16-bit take passes 2^31 bytes after about 3.4 hours.
    const std::int64_t lengthBytes =
        parseMciNumber(send("status capture length", "Finding 时长(字节): in bytes failed!"));
    const std::int64_t channels =
        parseMciNumber(send("status capture channels", "Finding number of channels failed!"));
    const std::int64_t bits =
        parseMciNumber(send("status capture bitspersample", "Finding resolution failed!"));
    const std::int64_t rate =
        parseMciNumber(send("status capture samplespersec", "Finding sample rate failed!"));
    state_.WaveDescription = describeTake(lengthMs, lengthBytes, channels, bits, rate);
}

void modWave::CloseCaptureDevice() {
    send("close capture", "Closing MCI failed!");
}

std::int32_t modWave::GetCapturePosition() {
    send("set capture time format ms", "Setting format in milliseconds failed!");
    const std::int64_t position = parseMciNumber(
        send("status capture position", "Finding position failed!", "Error in position"));
    // A value that does not fit the 32-bit result is no position at all.
    if (position < std::numeric_limits<std::int32_t>::min() ||
        position > std::numeric_limits<std::int32_t>::max()) {
        return 0;
    }
    return static_cast<std::int32_t>(position);
}

void modWave::PlayFromPosition(std::int32_t ms) {
    send("set capture time format ms", "Setting format in milliseconds failed!");
    send("play capture from " + std::to_string(ms), "Playing from indicated position failed!",
         "Play from position doesn't work....");
}

bool modWave::FinishPendingRename() {
    if (!state_.RenamePending)
        return false;
    bool renamed = false;
    // The take is never put at risk: a missing short-named file (the save failed) leaves
    // nothing to do, and a file that meanwhile took the long name is not replaced, so both
    // stay. Either way the rename is given up rather than retried on every later Reset.
    if (FileExists(state_.SavedShortName) && !FileExists(state_.SavedLongName)) {
        renamed = fs_.renameFile(state_.SavedShortName, state_.SavedLongName);
    }
    state_.RenamePending = false;
    state_.SavedShortName.clear();
    return renamed;
}

}  // namespace sonorin
