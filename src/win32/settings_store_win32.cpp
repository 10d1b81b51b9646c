#include "win32/settings_store_win32.h"

#include <windows.h>

#include <vector>

#include "win32/wide.h"

namespace sonorin {
namespace {

std::wstring keyPath(const std::string& app, const std::string& section) {
    return L"Software\\VB and VBA Program Settings\\" + win32::wide(app) + L"\\" +
           win32::wide(section);
}

}  // namespace

std::string Win32SettingsStore::getSetting(const std::string& app, const std::string& section,
                                           const std::string& key,
                                           const std::string& defaultValue) {
    HKEY hkey = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath(app, section).c_str(), 0, KEY_QUERY_VALUE,
                      &hkey) != ERROR_SUCCESS) {
        return defaultValue;
    }
    const std::wstring name = win32::wide(key);
    std::string result = defaultValue;
    DWORD type = 0;
    DWORD bytes = 0;
    // Size first, then the data; a value that grows in between is read on the next call.
    if (RegQueryValueExW(hkey, name.c_str(), nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        // One extra character so that a value stored without its terminating NUL still ends.
        std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD size = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
        if (RegQueryValueExW(hkey, name.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(buffer.data()), &size) == ERROR_SUCCESS) {
            result = win32::narrow(buffer.data());
        }
    }
    // Values of other types are not settings this program wrote: they read as missing.
    RegCloseKey(hkey);
    return result;
}

bool Win32SettingsStore::saveSetting(const std::string& app, const std::string& section,
                                     const std::string& key, const std::string& value) {
    HKEY hkey = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath(app, section).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &hkey,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const std::wstring data = win32::wide(value);
    const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    const LONG status = RegSetValueExW(hkey, win32::wide(key).c_str(), 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(data.c_str()), bytes);
    RegCloseKey(hkey);
    return status == ERROR_SUCCESS;
}

}  // namespace sonorin
