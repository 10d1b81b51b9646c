// The per-user settings store: text values addressed by application, section and key.
#pragma once

#include <string>

namespace sonorin {

class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // The stored text, or defaultValue when the key does not exist.
    virtual std::string getSetting(const std::string& app, const std::string& section,
                                   const std::string& key, const std::string& defaultValue) = 0;
    // Creates or replaces the key; false when the store could not be written.
    virtual bool saveSetting(const std::string& app, const std::string& section,
                             const std::string& key, const std::string& value) = 0;
};

}  // namespace sonorin
