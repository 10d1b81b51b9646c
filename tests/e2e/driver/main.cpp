#include "driver.h"

namespace {

// Rectangles of other programs' windows in real pixels: a DPI-unaware reader would get them
// scaled to 96 dpi.
void become_dpi_aware() {
    using SetContext = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    auto set = reinterpret_cast<SetContext>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
    if (set)
        set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    become_dpi_aware();
    try {
        return sonorin::driver::run_command({argv + 1, argv + argc});
    } catch (const std::exception& error) {
        std::string message = std::string(error.what()) + "\n";
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_ERROR_HANDLE), message.data(),
                  static_cast<DWORD>(message.size()), &written, nullptr);
        return 1;
    }
}
