#include "win32/window_system/thumb_buttons.h"

#include <shobjidl.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace sonorin::win32 {
namespace {

constexpr UINT kPlayPauseId = 1, kStopId = 2;

// A white play triangle or stop square on transparency, `size` pixels square.
HICON makeIcon(bool play, int size) {
    std::vector<std::uint32_t> pixels(std::size_t(size) * std::size_t(size), 0);
    const int margin = size / 4, inner = size - 2 * margin;
    for (int y = 0; y < inner; ++y) {
        // The triangle narrows from its left edge to a point at the right, middle row widest.
        const int half = inner / 2;
        const int width = play ? inner - std::abs(y - half) * inner / (half > 0 ? half : 1) : inner;
        for (int x = 0; x < width && x < inner; ++x)
            pixels[std::size_t(y + margin) * std::size_t(size) + std::size_t(x + margin)] =
                0xFFFFFFFFu;
    }
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof header;
    header.bV5Width = size;
    header.bV5Height = -size;  // top-down
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP colour = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header),
                                      DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
    HICON icon = nullptr;
    if (colour && bits && mask) {
        std::memcpy(bits, pixels.data(), pixels.size() * sizeof pixels[0]);
        ICONINFO info{};
        info.fIcon = TRUE;
        info.hbmColor = colour;
        info.hbmMask = mask;
        icon = CreateIconIndirect(&info);
    }
    if (colour)
        DeleteObject(colour);
    if (mask)
        DeleteObject(mask);
    return icon;
}

}  // namespace

ThumbButtons::~ThumbButtons() {
    release();
}

void ThumbButtons::release() {
    if (taskbar_) {
        taskbar_->Release();
        taskbar_ = nullptr;
    }
    for (HICON& icon : icons_) {
        if (icon)
            DestroyIcon(icon);
        icon = nullptr;
    }
}

UINT ThumbButtons::createdMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarButtonCreated");
    return message;
}

void ThumbButtons::add(HWND window, int dpi) {
    // A taskbar that restarted (explorer.exe ended and came back) makes the button again, and
    // the buttons are added to the new one.
    release();
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                reinterpret_cast<void**>(&taskbar_))) ||
        !taskbar_) {
        taskbar_ = nullptr;
        return;
    }
    if (FAILED(taskbar_->HrInit())) {
        release();
        return;
    }
    const int size = MulDiv(16, dpi, 96);
    icons_[0] = makeIcon(true, size);
    icons_[1] = makeIcon(false, size);
    THUMBBUTTON buttons[2] = {};
    const wchar_t* tips[2] = {L"播放/暂停", L"停止"};
    for (int i = 0; i < 2; ++i) {
        buttons[i].dwMask = THB_ICON | THB_TOOLTIP | THB_FLAGS;
        buttons[i].iId = i == 0 ? kPlayPauseId : kStopId;
        buttons[i].hIcon = icons_[i];
        buttons[i].dwFlags = THBF_ENABLED;
        wcsncpy(buttons[i].szTip, tips[i], ARRAYSIZE(buttons[i].szTip) - 1);
    }
    if (FAILED(taskbar_->ThumbBarAddButtons(window, 2, buttons)))
        release();
}

std::optional<ui::AppCommand> ThumbButtons::clicked(WPARAM wParam) {
    if (HIWORD(wParam) != THBN_CLICKED)
        return std::nullopt;
    if (LOWORD(wParam) == kPlayPauseId)
        return ui::AppCommand::PlayPause;
    if (LOWORD(wParam) == kStopId)
        return ui::AppCommand::Stop;
    return std::nullopt;
}

}  // namespace sonorin::win32
