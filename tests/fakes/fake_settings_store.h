// An in-memory per-user settings store that also records the order of the reads and writes.
#pragma once

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "fakes/event_log.h"
#include "services/settings_store.h"

namespace sonorin {

class FakeSettingsStore : public SettingsStore {
  public:
    using Key = std::tuple<std::string, std::string, std::string>;  // app, section, key

    std::string getSetting(const std::string& app, const std::string& section,
                           const std::string& key, const std::string& defaultValue) override {
        reads.push_back(key);
        if (events)
            events->add("settings read " + key);
        auto found = values.find({app, section, key});
        return found == values.end() ? defaultValue : found->second;
    }

    bool saveSetting(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value) override {
        writes.push_back(key);
        if (events)
            events->add("settings write " + key);
        if (failWrites)
            return false;
        values[{app, section, key}] = value;
        return true;
    }

    std::map<Key, std::string> values;
    std::vector<std::string> reads;   // keys in the order they were read
    std::vector<std::string> writes;  // keys in the order they were written
    bool failWrites = false;
    EventLog* events = nullptr;
};

}  // namespace sonorin
