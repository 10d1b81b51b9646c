#include "driver.h"

int wmain(int argc, wchar_t** argv) {
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
