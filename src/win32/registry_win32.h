// Values of the system registry, read-only.
#pragma once

#include "services/registry.h"

namespace sonorin::win32 {

class Win32Registry : public Registry {
  public:
    std::optional<RegistryValue> read(RegistryRoot root, const std::string& keyPath,
                                      const std::string& valueName) override;
};

}  // namespace sonorin::win32
