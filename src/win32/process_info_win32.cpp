#include "win32/process_info_win32.h"

#include <vector>

namespace sonorin::win32 {

Win32ProcessInfo::Win32ProcessInfo() {
    // A named object of the session lives as long as one copy of the program holds it.
    marker_ = CreateMutexW(nullptr, FALSE, L"Local\\Sonorin.RunningInstance");
    const DWORD error = GetLastError();
    // A copy started with administrator rights made the object ours may not open; it exists
    // all the same, so that copy is running.
    earlierCopy_ = marker_ ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
}

Win32ProcessInfo::~Win32ProcessInfo() {
    if (marker_)
        CloseHandle(marker_);
}

ProgramVersion Win32ProcessInfo::version() {
    ProgramVersion result;
    wchar_t path[MAX_PATH] = {};
    if (!GetModuleFileNameW(nullptr, path, MAX_PATH))
        return result;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0)
        return result;
    std::vector<BYTE> data(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoW(path, 0, size, data.data()) ||
        !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info)
        return result;
    // The file version is major.minor.revision.0.
    result.major = HIWORD(info->dwFileVersionMS);
    result.minor = LOWORD(info->dwFileVersionMS);
    result.revision = HIWORD(info->dwFileVersionLS);
    return result;
}

}  // namespace sonorin::win32
