// The station take against whatever the decoders may hand it (any format, any block, in any
// rhythm) and the mending of a take's file as a crash may leave it. The take is as long as the
// time it ran, its files' headers hold their whole sound, and mending never grows a file or
// breaks a header.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <string>
#include <vector>

#include "fakes/fake_clock.h"
#include "fakes/fake_filesystem.h"
#include "fakes/fake_mci.h"
#include "fakes/fake_prompts.h"
#include "fuzz_check.h"
#include "recorder/recorder.h"

namespace {

using namespace sonorin;

std::uint32_t le32(const std::string& bytes, std::size_t at) {
    std::uint32_t v = 0;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}

void checkHeader(FakeFileSystem& fs, const std::string& file) {
    const std::string bytes = fs.content(file).value_or("");
    FUZZ_CHECK(bytes.size() >= 44, file);
    FUZZ_CHECK(le32(bytes, 40) == bytes.size() - 44 && le32(bytes, 4) == bytes.size() - 8,
               std::to_string(bytes.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    FakeFileSystem fs;
    fs.addFile("C:\\rec\\keep");
    const int rates[] = {6000, 8000, 11025, 22050, 44100};
    const TakeFormat format{rates[in.ConsumeIntegralInRange(0, 4)], in.ConsumeIntegralInRange(1, 2),
                            in.ConsumeBool() ? 16 : 8};
    StationTake::Limits limits;
    limits.partBytes = in.ConsumeIntegralInRange<std::uint64_t>(1 << 16, 1 << 20);
    StationTake take(fs, limits);
    std::int64_t now = 0;
    FUZZ_CHECK(take.start("C:\\rec\\t.wav", format, now), "start");
    for (int step = 0; step < 64 && in.remaining_bytes() > 0; ++step) {
        const DecodedFormat decoded{in.ConsumeIntegralInRange(-1, 9),
                                    in.ConsumeIntegralInRange(-1, 200000),
                                    in.PickValueInArray({0, 8, 16, 24, 32})};
        const std::vector<std::uint8_t> block =
            in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(0, 4096));
        take.decoded(decoded, block.data(), block.size());
        now += in.ConsumeIntegralInRange(0, 300);
        FUZZ_CHECK(take.pump(now) == StationTake::Ended::No, "pump");
    }
    take.stop(now);
    const std::uint64_t frames = static_cast<std::uint64_t>(now) * format.rate / 1000;
    FUZZ_CHECK(take.bytes() == frames * format.blockAlign(),
               std::to_string(take.bytes()) + " for " + std::to_string(now) + " ms");
    for (const std::string& part : take.parts())
        checkHeader(fs, part);

    // A crash's leftover: a take's head and any tail, mended at the next start.
    const std::string head = wavHeader(format, in.ConsumeIntegral<std::uint32_t>());
    const std::string leftover = in.ConsumeBool() ? head + in.ConsumeRemainingBytesAsString()
                                                  : in.ConsumeRemainingBytesAsString();
    fs.addFile("C:\\Sonorin\\录音文件\\x_录制中.wav", leftover);
    FakeMci mci;
    FakeClock clock;
    FakePrompts prompts;
    RecorderState state;
    modWave wave(mci, fs, prompts, state);
    StationTake other(fs);
    Recorder recorder(wave, other, mci, fs, clock, prompts, state);
    const std::vector<std::string> recovered = recorder.recoverUnfinishedTakes();
    FUZZ_CHECK(recovered.size() == 1, "renamed");
    const std::string mended = fs.content(recovered[0]).value_or("");
    FUZZ_CHECK(mended.size() == leftover.size(), "the size stays");
    if (leftover.size() >= 44 && leftover.compare(0, 4, "RIFF") == 0 &&
        leftover.compare(8, 8, "WAVEfmt ") == 0 && leftover.compare(36, 4, "data") == 0 &&
        (leftover[32] != 0 || leftover[33] != 0)) {
        const std::uint32_t data = le32(mended, 40);
        FUZZ_CHECK(data <= mended.size() - 44 && le32(mended, 4) == data + 36,
                   std::to_string(data));
    } else {
        FUZZ_CHECK(mended == leftover, "a file that is not a take's stays as it was");
    }
    return 0;
}
