// The yardstick of the drop-out benchmark: the least a waveOut player can be. It plays a
// 440 Hz tone through 16 buffers of 100 ms (the station player's ring), refilling each as soon
// as the device hands it back, for the seconds given on the command line.
#include <windows.h>

#include <mmsystem.h>

#include <cmath>
#include <cstdint>
#include <cwchar>
#include <vector>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    constexpr int kRate = 44100;
    constexpr int kBuffers = 16;
    constexpr int kFrames = kRate / 10;
    const double seconds = commandLine && *commandLine ? std::wcstod(commandLine, nullptr) : 300;
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = kRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = kRate * 4;
    HANDLE done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HWAVEOUT device = nullptr;
    if (waveOutOpen(&device, WAVE_MAPPER, &format, DWORD_PTR(done), 0, CALLBACK_EVENT) !=
        MMSYSERR_NOERROR)
        return 1;
    std::vector<std::vector<std::int16_t>> data(kBuffers, std::vector<std::int16_t>(kFrames * 2));
    std::vector<WAVEHDR> headers(kBuffers);
    long long frame = 0;
    auto fill = [&](int i) {
        for (int f = 0; f < kFrames; ++f, ++frame) {
            const auto v = std::int16_t(4096 * std::sin(2 * 3.14159265358979 * 440 * frame / kRate));
            data[i][2 * f] = data[i][2 * f + 1] = v;
        }
        headers[i] = {};
        headers[i].lpData = reinterpret_cast<LPSTR>(data[i].data());
        headers[i].dwBufferLength = DWORD(kFrames * 4);
        waveOutPrepareHeader(device, &headers[i], sizeof(WAVEHDR));
        waveOutWrite(device, &headers[i], sizeof(WAVEHDR));
    };
    for (int i = 0; i < kBuffers; ++i)
        fill(i);
    const ULONGLONG end = GetTickCount64() + ULONGLONG(seconds * 1000);
    for (int i = 0; GetTickCount64() < end; i = (i + 1) % kBuffers) {
        while (!(headers[i].dwFlags & WHDR_DONE))
            WaitForSingleObject(done, 20);
        waveOutUnprepareHeader(device, &headers[i], sizeof(WAVEHDR));
        fill(i);
    }
    waveOutReset(device);
    waveOutClose(device);
    return 0;
}
