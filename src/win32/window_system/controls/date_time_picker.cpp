// A date-time picker that keeps only a time of day; the user's change comes back into it.
#include <algorithm>

#include "win32/dpi_win32.h"
#include "win32/window_system/child_peer.h"
#include "win32/window_system/control_messages.h"

namespace sonorin::win32 {
namespace {

class DateTimePickerPeer final : public ChildPeer {
  public:
    DateTimePickerPeer(FormWindow& fw, ui::Control& control)
        : ChildPeer(fw, control), picker_(static_cast<ui::DateTimePicker&>(control)) {}

    void notify(const NMHDR& header) override {
        if (header.code != DTN_DATETIMECHANGE)
            return;
        if (const std::optional<SYSTEMTIME> time = msg::pickerTime(hwnd_)) {
            Syncing guard(fw_, &picker_);
            picker_.setTimeOfDay(time->wHour * 3600 + time->wMinute * 60 + time->wSecond);
        }
    }

  protected:
    // The format's style from the start: the picker makes its spin buttons (DTS_UPDOWN, part of
    // DTS_TIMEFORMAT) as it is created, and Windows adds none later.
    DWORD ownStyle() const override { return formatStyle(); }
    std::string initialText() const override { return {}; }
    void applyAll() override { applyFormat(); }
    void applyBounds() override {
        ChildPeer::applyBounds();
        placeSpin();
    }
    void apply(ui::Property property) override {
        if (property == ui::Property::Value)
            applyTime();
        else if (property == ui::Property::Style)
            applyFormat();
    }

  private:
    DWORD formatStyle() const {
        return picker_.format() == ui::PickerFormat::Time ? DTS_TIMEFORMAT : DTS_SHORTDATEFORMAT;
    }

    void applyFormat() {
        constexpr DWORD kFormats = DTS_SHORTDATEFORMAT | DTS_TIMEFORMAT;
        // Each style change makes or drops the spin buttons, so only a real change is made.
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
        if ((style & kFormats) != formatStyle()) {
            setStyleBit(kFormats, false);
            setStyleBit(formatStyle(), true);
        }
        // The style alone does not redraw the field in the new format.
        msg::pickerUseStyleFormat(hwnd_);
        placeSpin();
        applyTime();
    }

    // The picker puts spin buttons it makes after its creation mid-field, and makes them
    // 15 pixels wide at any DPI: they go to its right edge, full height, as wide as a scroll
    // bar at the window's DPI.
    void placeSpin() {
        const HWND spin = FindWindowExW(hwnd_, nullptr, UPDOWN_CLASSW, nullptr);
        RECT field{};
        if (!spin || !GetClientRect(hwnd_, &field))
            return;
        const int width = std::min<int>(scrollBarWidth(fw_.dpi), field.right / 2);
        SetWindowPos(spin, nullptr, field.right - width, 0, width, field.bottom,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void applyTime() {
        Applying guard(fw_);
        // The date a time-of-day picker carries along: only its time is ever read.
        SYSTEMTIME st{};
        GetLocalTime(&st);
        st.wMilliseconds = 0;
        st.wHour = static_cast<WORD>(picker_.timeOfDay() / 3600);
        st.wMinute = static_cast<WORD>(picker_.timeOfDay() / 60 % 60);
        st.wSecond = static_cast<WORD>(picker_.timeOfDay() % 60);
        msg::pickerSetTime(hwnd_, st);
    }

    ui::DateTimePicker& picker_;
};

}  // namespace

std::unique_ptr<ui::Peer> makeDateTimePickerPeer(FormWindow& fw, ui::Control& control) {
    return makeChild<DateTimePickerPeer>(fw, control);
}

}  // namespace sonorin::win32
