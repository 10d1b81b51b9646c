// The user's date and time pictures: read once, kept, and read again when a window of the
// program hears that the settings changed.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "win32/clock_win32.h"
#include "win32/window_system_win32.h"
#include "ui/form.h"
#include "ui/form_set.h"

namespace sonorin::win32 {
namespace {

std::wstring localeValue(LCTYPE type) {
    wchar_t buffer[128] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 128);
    return buffer;
}

// Changes the user's short date picture for one test and puts the old one back.
class ShortDateChange {
  public:
    ShortDateChange() : old_(localeValue(LOCALE_SSHORTDATE)) {}
    ~ShortDateChange() { SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, old_.c_str()); }
    bool to(const wchar_t* picture) {
        return SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, picture) &&
               localeValue(LOCALE_SSHORTDATE) == picture;
    }

  private:
    std::wstring old_;
};

TEST(ClockTest, ThePicturesAreKeptUntilTheSettingsChange) {
    Win32Clock clock;
    const DateFormats first = clock.dateFormats();
    EXPECT_FALSE(first.shortDate.empty());
    EXPECT_FALSE(first.longTime.empty());

    ShortDateChange change;
    ASSERT_TRUE(change.to(L"dd.MM.yyyy"));
    EXPECT_EQ(clock.dateFormats().shortDate, first.shortDate) << "read again without a notice";
    clock.settingsChanged();
    EXPECT_EQ(clock.dateFormats().shortDate, "dd.MM.yyyy");
    EXPECT_EQ(clock.dateFormats().longTime, first.longTime);
}

TEST(ClockTest, ASettingChangeReachingAProgramWindowIsPassedOn) {
    Win32WindowSystem system{GetModuleHandleW(nullptr)};
    ui::FormSet forms{system};
    ui::Form form{forms, "Sample"};
    form.load();
    int notices = 0;
    system.onSettingChange = [&notices] { ++notices; };
    SendMessageW(system.windowOf(form), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"intl"));
    EXPECT_EQ(notices, 1);
    form.unload();
}

}  // namespace
}  // namespace sonorin::win32
