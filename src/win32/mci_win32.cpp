#include "win32/mci_win32.h"

#include <windows.h>

// After windows.h, which it needs.
#include <mmsystem.h>

#include <iterator>
#include <string_view>

#include "win32/wide.h"

namespace sonorin {
namespace {

bool isLengthOrPositionQuery(std::string_view command) {
    return command.starts_with("status ") &&
           (command.ends_with(" length") || command.ends_with(" position"));
}

}  // namespace

MciResult Win32Mci::send(const std::string& command) {
    // Zeroed so that a command that writes no reply (or fails) reads as an empty text.
    wchar_t reply[256] = {};
    const MCIERROR code = mciSendStringW(win32::wide(command).c_str(), reply,
                                         static_cast<UINT>(std::size(reply)), nullptr);
    reply[std::size(reply) - 1] = L'\0';
    // Opening the capture device is "close all" then "open" (twice at an offline start, once
    // per window): a close of the last device unloads the waveaudio driver, and the open
    // loads it again. Once a command has worked with it loaded, it stays loaded.
    static bool driverPinned = false;
    if (!driverPinned && code == 0) {
        HMODULE driver = nullptr;
        driverPinned =
            GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN, L"mciwave.dll", &driver) != FALSE;
    }
    // Windows gives a new, empty waveaudio device a length and position of 0; Wine's device
    // calls the query unsupported until it holds data. Answer as Windows does, or every
    // description of a fresh device would end in failure boxes.
    if (code == MCIERR_UNSUPPORTED_FUNCTION && isLengthOrPositionQuery(command))
        return {0, "0"};
    return {static_cast<std::uint32_t>(code), win32::narrow(reply)};
}

}  // namespace sonorin
