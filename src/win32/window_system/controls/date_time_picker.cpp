// A date-time picker that keeps only a time of day; the user's change comes back into it.
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
            Syncing guard(fw_);
            picker_.setTimeOfDay(time->wHour * 3600 + time->wMinute * 60 + time->wSecond);
        }
    }

  protected:
    std::string initialText() const override { return {}; }
    void applyAll() override { applyFormat(); }
    void apply(ui::Property property) override {
        if (property == ui::Property::Value)
            applyTime();
        else if (property == ui::Property::Style)
            applyFormat();
    }

  private:
    void applyFormat() {
        setStyleBit(DTS_SHORTDATEFORMAT | DTS_TIMEFORMAT, false);
        setStyleBit(
            picker_.format() == ui::PickerFormat::Time ? DTS_TIMEFORMAT : DTS_SHORTDATEFORMAT,
            true);
        // The style alone does not redraw the field in the new format.
        msg::pickerUseStyleFormat(hwnd_);
        applyTime();
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
