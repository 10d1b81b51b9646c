// One log shared by the fakes of a program, so that a test can assert the order of calls
// across seams: "mci close capture" before "settings write Rate", "fs createFolder ..."
// before "shell checkConnection ...". Each fake writes its own prefix: "mci ", "fs ",
// "settings read ", "settings write ", "shell ".
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace sonorin {

class EventLog {
  public:
    void add(std::string event) { events.push_back(std::move(event)); }

    // Position of the first event that starts with prefix, or npos.
    std::size_t first(const std::string& prefix) const {
        const auto it = std::find_if(events.begin(), events.end(),
                                     [&](const std::string& e) { return e.starts_with(prefix); });
        return it == events.end() ? npos : static_cast<std::size_t>(it - events.begin());
    }
    // Position of the last event that starts with prefix, or npos.
    std::size_t last(const std::string& prefix) const {
        for (std::size_t i = events.size(); i-- > 0;) {
            if (events[i].starts_with(prefix))
                return i;
        }
        return npos;
    }
    bool contains(const std::string& prefix) const { return first(prefix) != npos; }
    void clear() { events.clear(); }

    static constexpr std::size_t npos = static_cast<std::size_t>(-1);
    std::vector<std::string> events;
};

}  // namespace sonorin
