// Reading values of the system registry (HKEY_LOCAL_MACHINE and friends).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sonorin {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users };

struct RegistryValue {
    std::uint32_t type = 0;  // REG_SZ 1, REG_DWORD 4, ...
    // Up to 1024 bytes of data, cut to the size returned and without a final NUL. Text
    // values (REG_SZ) are converted to UTF-8.
    std::string data;
    std::uint32_t number = 0;  // REG_DWORD values
};

class Registry {
  public:
    virtual ~Registry() = default;
    // Nothing when the key cannot be opened or the value cannot be read.
    virtual std::optional<RegistryValue> read(RegistryRoot root, const std::string& keyPath,
                                              const std::string& valueName) = 0;
};

}  // namespace sonorin
