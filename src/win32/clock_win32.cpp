#include "win32/clock_win32.h"

#include <windows.h>

#include "win32/wide.h"

namespace sonorin::win32 {
namespace {

std::string localeText(LCTYPE type, const char* fallback) {
    wchar_t buffer[128] = {};
    int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 128);
    if (n <= 1)
        return fallback;
    return narrow(std::wstring_view(buffer, static_cast<std::size_t>(n - 1)));
}

}  // namespace

DateTime Win32Clock::now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return DateTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

std::int64_t Win32Clock::tickMs() {
    return static_cast<std::int64_t>(GetTickCount64());
}

DateFormats Win32Clock::dateFormats() {
    if (formats_)
        return *formats_;
    DateFormats& f = formats_.emplace();
    f.shortDate = localeText(LOCALE_SSHORTDATE, "yyyy/M/d");
    f.longTime = localeText(LOCALE_STIMEFORMAT, "H:mm:ss");
    f.am = localeText(LOCALE_S1159, "AM");
    f.pm = localeText(LOCALE_S2359, "PM");
    return f;
}

}  // namespace sonorin::win32
