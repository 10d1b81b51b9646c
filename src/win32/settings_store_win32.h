// The per-user settings store in the registry area kept for application settings:
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<app>\<section>, REG_SZ values.
#pragma once

#include "services/settings_store.h"

namespace sonorin {

class Win32SettingsStore : public SettingsStore {
  public:
    std::string getSetting(const std::string& app, const std::string& section,
                           const std::string& key, const std::string& defaultValue) override;
    bool saveSetting(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value) override;
};

}  // namespace sonorin
