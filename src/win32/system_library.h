// Functions of system DLLs that only some user actions need (the common dialogs, for one),
// loaded from the system folder on their first use instead of at start-up: each library a
// program imports is loaded, and pulls in its own imports, before the first window can show.
#pragma once

#include <windows.h>

namespace sonorin::win32 {

// The function `name` of the system library `dll`, or null when either is missing. The
// library stays loaded for the rest of the process once it was asked for. Fn is a function
// pointer type, usually decltype(&TheFunction).
template <class Fn>
Fn systemFunction(const wchar_t* dll, const char* name) {
    HMODULE module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Systems without the search flags (Windows 7 before KB2533623) refuse the call.
    if (!module && GetLastError() == ERROR_INVALID_PARAMETER)
        module = LoadLibraryW(dll);
    if (!module)
        return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace sonorin::win32
