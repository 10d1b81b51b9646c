// DateTime as text in test messages ("2026-12-6 9:05:07"). Test files that compare DateTime
// values should include this header: GoogleTest's printer is a template, and a file without
// PrintTo in sight makes it dump bytes for every file of the program.
#pragma once

#include <ostream>
#include <string>

#include "base/datetime.h"

namespace sonorin {

inline std::string toString(const DateTime& t) {
    return std::to_string(t.year) + "-" + std::to_string(t.month) + "-" + std::to_string(t.day) +
           " " + std::to_string(t.hour) + ":" + (t.minute < 10 ? "0" : "") +
           std::to_string(t.minute) + ":" + (t.second < 10 ? "0" : "") + std::to_string(t.second);
}

inline void PrintTo(const DateTime& t, std::ostream* os) {
    *os << toString(t);
}

}  // namespace sonorin
