#include "win32/registry_win32.h"

#include <windows.h>

#include <cstring>

#include "win32/wide.h"

namespace sonorin::win32 {
namespace {

HKEY rootKey(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::ClassesRoot:
            return HKEY_CLASSES_ROOT;
        case RegistryRoot::CurrentUser:
            return HKEY_CURRENT_USER;
        case RegistryRoot::Users:
            return HKEY_USERS;
        case RegistryRoot::LocalMachine:
            break;
    }
    return HKEY_LOCAL_MACHINE;
}

}  // namespace

std::optional<RegistryValue> Win32Registry::read(RegistryRoot root, const std::string& keyPath,
                                                 const std::string& valueName) {
    HKEY key = nullptr;
    // Read access only: a user without administrator rights may not open HKEY_LOCAL_MACHINE
    // keys for writing, and nothing here writes.
    if (RegOpenKeyExW(rootKey(root), wide(keyPath).c_str(), 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return std::nullopt;
    BYTE buffer[1024] = {};
    DWORD size = sizeof buffer;
    DWORD type = 0;
    const LSTATUS status =
        RegQueryValueExW(key, wide(valueName).c_str(), nullptr, &type, buffer, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    RegistryValue value;
    value.type = type;
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::wstring text(reinterpret_cast<const wchar_t*>(buffer), size / sizeof(wchar_t));
        if (!text.empty() && text.back() == L'\0')
            text.pop_back();
        value.data = narrow(text);
    } else {
        if (type == REG_DWORD && size >= sizeof(DWORD))
            std::memcpy(&value.number, buffer, sizeof(DWORD));
        if (size > 0 && buffer[size - 1] == 0)
            --size;
        value.data.assign(reinterpret_cast<const char*>(buffer), size);
    }
    return value;
}

}  // namespace sonorin::win32
