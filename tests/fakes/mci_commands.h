// The MCI command sequences that many tests expect, written once.
#pragma once

#include <string>
#include <vector>

namespace sonorin::mci_commands {

// "set capture alignment ... bytespersec ..." for a sample format.
inline std::string format(int rate, int channels, int bits) {
    const long long alignment = static_cast<long long>(channels) * bits / 8;
    return "set capture alignment " + std::to_string(alignment) + " bitspersample " +
           std::to_string(bits) + " samplespersec " + std::to_string(rate) + " channels " +
           std::to_string(channels) + " bytespersec " + std::to_string(alignment * rate);
}

// A fresh, empty device: everything closed, a new waveaudio device opened.
inline std::vector<std::string> open() {
    return {"close all", "open new type waveaudio alias capture"};
}

// Applying a format: back to the start, then the format command.
inline std::vector<std::string> applyFormat(int rate = 44100, int channels = 2, int bits = 16) {
    return {"seek capture to start", format(rate, channels, bits)};
}

// A fresh device with a format: open(), then applyFormat().
inline std::vector<std::string> openWithFormat(int rate = 44100, int channels = 2, int bits = 16) {
    std::vector<std::string> commands = open();
    for (std::string& c : applyFormat(rate, channels, bits))
        commands.push_back(std::move(c));
    return commands;
}

}  // namespace sonorin::mci_commands
