// The readers of MCI replies. parseMciNumber must agree with a plain reference reading; the
// engine must build its status and description from any replies without failing, keep the
// status within 255 characters and give positions that fit their 32 bits.
#include <fuzzer/FuzzedDataProvider.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "fakes/fake_filesystem.h"
#include "fakes/fake_mci.h"
#include "fakes/fake_prompts.h"
#include "fuzz_check.h"
#include "recorder/modWave.h"

namespace {

// Blanks or tabs, an optional sign and decimal digits, read by the C library; 0 when there
// are no digits or the value does not fit 64 bits.
std::int64_t reference(const std::string& reply) {
    std::size_t i = reply.find_first_not_of(" \t");
    if (i == std::string::npos)
        return 0;
    std::size_t digits = i;
    if (reply[digits] == '+' || reply[digits] == '-')
        ++digits;
    std::size_t end = digits;
    while (end < reply.size() && reply[end] >= '0' && reply[end] <= '9')
        ++end;
    if (end == digits)
        return 0;
    const std::string number = reply.substr(i, end - i);
    errno = 0;
    const long long value = std::strtoll(number.c_str(), nullptr, 10);
    return errno == ERANGE ? 0 : value;
}

std::size_t utf8Characters(const std::string& text) {
    std::size_t count = 0;
    for (unsigned char c : text)
        count += (c & 0xC0) != 0x80;
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sonorin;
    FuzzedDataProvider in(data, size);
    const std::string number = in.ConsumeRandomLengthString(40);
    FUZZ_CHECK(parseMciNumber(number) == reference(number), fuzz::escaped(number));

    FakeMci mci;
    FakeFileSystem files;
    FakePrompts prompts;
    RecorderState state;
    modWave wave(mci, files, prompts, state);
    for (const char* query : {"status capture mode", "status capture length",
                              "status capture channels", "status capture bitspersample",
                              "status capture samplespersec", "status capture position"}) {
        if (in.ConsumeBool()) {
            mci.fail(query, in.ConsumeIntegral<std::uint32_t>() | 1);
        } else {
            mci.answer(query, in.ConsumeRandomLengthString(300));
        }
    }
    wave.UpdateRecorderStatus();
    FUZZ_CHECK(state.WaveStatus.starts_with("AudioRecorder: "), fuzz::escaped(state.WaveStatus));
    FUZZ_CHECK(utf8Characters(state.WaveStatus) <= 255, fuzz::escaped(state.WaveStatus));
    wave.DescribeRecording();
    FUZZ_CHECK(state.WaveDescription.starts_with("时长:") &&
                   state.WaveDescription.ends_with(" samples per second \r\n\r\n"),
               fuzz::escaped(state.WaveDescription));
    const std::int32_t position = wave.GetCapturePosition();
    const std::int64_t reply = parseMciNumber(mci.send("status capture position").reply);
    FUZZ_CHECK(position == reply || position == 0, std::to_string(position));
    return 0;
}
