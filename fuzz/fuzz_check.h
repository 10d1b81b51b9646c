// What a fuzz target reports: a broken promise of the code under test stops the run with a
// message, and libFuzzer keeps the input that caused it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace sonorin::fuzz {

[[noreturn]] inline void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "fuzz check failed: %s\n%s\n", what, detail.c_str());
    std::abort();
}

// Bytes as C escapes, for messages about texts that may hold anything.
inline std::string escaped(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out + "\"";
}

}  // namespace sonorin::fuzz

#define FUZZ_CHECK(condition, detail)                    \
    do {                                                 \
        if (!(condition))                                \
            ::sonorin::fuzz::fail(#condition, (detail)); \
    } while (false)
