// Decoding cost of the station player's codecs: one minute of 128 kbit/s MP3 (ACM) and AAC
// (Media Foundation), decoded as fast as possible. Prints the process CPU time per minute of
// audio and its share of real time. Google Benchmark has no MinGW build on Debian, so this
// keeps its own timing; bench/stream_bench.cpp (host) measures the parsing with it.
//
//   sonorin_decode_bench.exe [MEDIA-FOLDER]    default: station-media beside the program
#include <windows.h>

#include <objbase.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "win32/decoders_win32.h"
#include "win32/wide.h"
#include "radio/player/frames.h"

namespace {

using namespace sonorin;

double processSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return double(ULONGLONG(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

std::vector<std::uint8_t> readFile(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Decodes the file's frames again and again until a minute of audio has come out.
template <class Decoder>
bool bench(const char* name, radio::Codec codec, const std::vector<std::uint8_t>& file) {
    Decoder decoder;
    std::vector<std::uint8_t> pcm;
    double audioSeconds = 0;
    std::size_t frames = 0;
    const double cpuBefore = processSeconds();
    const ULONGLONG wallBefore = GetTickCount64();
    while (audioSeconds < 60) {
        radio::FrameReader reader(codec);
        reader.push(file);
        reader.finish();
        while (auto frame = reader.next()) {
            pcm.clear();
            radio::PcmFormat format;
            if (!decoder.decode(*frame, pcm, format)) {
                std::printf("%s: the decoder refused frame %zu\n", name, frames);
                return false;
            }
            ++frames;
            if (format.sampleRate > 0)
                audioSeconds += double(pcm.size()) / (2.0 * format.channels * format.sampleRate);
        }
    }
    const double cpu = processSeconds() - cpuBefore;
    const double wall = double(GetTickCount64() - wallBefore) / 1000;
    // The wall time is an upper bound: it also counts other programs that share the core.
    std::printf(
        "%-4s %5zu frames %5.1f s audio: %6.3f s CPU = %5.2f %%, %6.3f s wall = %5.2f %% "
        "of real time\n",
        name, frames, audioSeconds, cpu, 100.0 * cpu / audioSeconds, wall,
        100.0 * wall / audioSeconds);
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring folder;
    if (argc > 1) {
        folder = argv[1];
    } else {
        wchar_t exe[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, exe, MAX_PATH);
        folder = exe;
        folder = folder.substr(0, folder.rfind(L'\\')) + L"\\station-media";
    }
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    const bool ok =
        bench<win32::Mp3Decoder>("MP3", radio::Codec::Mp3, readFile(folder + L"\\tone.mp3")) &&
        bench<win32::AacDecoder>("AAC", radio::Codec::Aac, readFile(folder + L"\\tone.aac"));
    CoUninitialize();
    return ok ? 0 : 1;
}
