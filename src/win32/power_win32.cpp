#include "win32/power_win32.h"

#include <windows.h>

namespace sonorin::win32 {

int Win32PowerApi::platformId() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExW(&info))
        return 0;
    return static_cast<int>(info.dwPlatformId);
}

void Win32PowerApi::enableShutdownPrivilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return;
    TOKEN_PRIVILEGES request{};
    request.PrivilegeCount = 1;
    request.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &request.Privileges[0].Luid)) {
        TOKEN_PRIVILEGES previous{};
        DWORD returned = sizeof(DWORD);
        // A refusal shows only in that the system then refuses to shut down.
        AdjustTokenPrivileges(token, FALSE, &request, sizeof previous, &previous, &returned);
    }
    CloseHandle(token);
}

void Win32PowerApi::exitWindowsEx(unsigned flags) {
    ExitWindowsEx(flags, 0);
}

}  // namespace sonorin::win32
