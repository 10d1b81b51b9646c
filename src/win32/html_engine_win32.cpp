// Whether the WebBrowser control would have an HTML engine. Under Wine the engine is the
// separate Wine-Gecko package. Without it the control is made and navigates but never has a
// document (the pane's probe finds that out), having loaded mshtml, ieframe, urlmon and OLE for
// nothing: several MiB and most of the pane's start. Where Wine has Gecko neither installed
// nor at hand to install, the pane is the stand-in from the start. On Windows the engine is
// always there.
#include <windows.h>

#include <string>
#include <string_view>

#include "win32/browser_win32.h"

namespace sonorin {
namespace {

// Whether a file or folder matching `pattern` exists whose name starts with `prefix`.
bool anyNamed(const std::wstring& pattern, const std::wstring& prefix) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool any = false;
    do {
        any = std::wstring_view(found.cFileName).substr(0, prefix.size()) == prefix;
    } while (!any && FindNextFileW(search, &found));
    FindClose(search);
    return any;
}

bool noEngineUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (ntdll == nullptr || GetProcAddress(ntdll, "wine_get_version") == nullptr) {
        return false;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\MSHTML", 0, KEY_READ, &key) ==
        ERROR_SUCCESS) {
        RegCloseKey(key);
        return false;  // a Gecko path of the user's own
    }
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemWindowsDirectoryW(folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        // Installed: a version folder under system32\gecko (every prefix has "plugin" there).
        const std::wstring windows(folder, length);
        for (const wchar_t* sub : {L"\\system32\\gecko\\", L"\\syswow64\\gecko\\"}) {
            for (wchar_t digit = L'0'; digit <= L'9'; ++digit) {
                if (anyNamed(windows + sub + digit + L"*", std::wstring(1, digit))) {
                    return false;
                }
            }
        }
    }
    // At hand: the packages Wine installs from on first use (its data folders, its cache).
    for (const wchar_t* place :
         {L"Z:\\usr\\share\\wine\\gecko\\*", L"Z:\\usr\\local\\share\\wine\\gecko\\*",
          L"Z:\\opt\\wine\\gecko\\*"}) {
        if (anyNamed(place, L"wine")) {
            return false;
        }
    }
    const DWORD homeLength = GetEnvironmentVariableW(L"HOME", folder, MAX_PATH);
    if (homeLength > 0 && homeLength < MAX_PATH) {
        std::wstring cache = L"Z:" + std::wstring(folder, homeLength) + L"/.cache/wine/*";
        for (wchar_t& c : cache) {
            if (c == L'/') {
                c = L'\\';
            }
        }
        if (anyNamed(cache, L"wine-gecko")) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool htmlEngineMissing() {
    static const bool missing = noEngineUnderWine();
    return missing;
}

}  // namespace sonorin
