// The tray hook and icons on a real window, and the registry reader, under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "win32/registry_win32.h"
#include "win32/tray_icons_win32.h"
#include "win32/window_system_win32.h"
#include "ui/form.h"
#include "ui/form_set.h"

namespace sonorin::win32 {
namespace {

class Plain : public ui::Form {
  public:
    explicit Plain(ui::FormSet& forms) : ui::Form(forms, "Plain") { setCaption("托盘"); }
};

class TrayWin32Test : public ::testing::Test {
  protected:
    void SetUp() override { form.load(); }
    void TearDown() override { form.unload(); }
    HWND hwnd() { return system.windowOf(form); }

    Win32WindowSystem system{GetModuleHandleW(nullptr)};
    ui::FormSet forms{system};
    Plain form{forms};
    Win32TrayIcons tray{system};
};

TEST_F(TrayWin32Test, TheHookSeesMessagesFirstAndPassesTheRestOnUntilUnhooked) {
    const LONG_PTR original = GetWindowLongPtrW(hwnd(), GWLP_WNDPROC);
    std::vector<unsigned> seen;
    tray.hook(
        form,
        [&](unsigned msg, std::uintptr_t, std::intptr_t lParam) -> std::optional<std::intptr_t> {
            seen.push_back(msg);
            if (msg == 2025 && lParam == 514)
                return 7;
            return std::nullopt;
        });
    EXPECT_NE(GetWindowLongPtrW(hwnd(), GWLP_WNDPROC), original);
    EXPECT_EQ(SendMessageW(hwnd(), 2025, 0, 514), 7);
    // Passed on: the form's own procedure answers WM_GETTEXT.
    wchar_t text[16] = {};
    EXPECT_EQ(SendMessageW(hwnd(), WM_GETTEXT, 16, reinterpret_cast<LPARAM>(text)), 2);
    EXPECT_EQ(std::wstring(text), L"托盘");
    tray.unhook(form);
    EXPECT_EQ(GetWindowLongPtrW(hwnd(), GWLP_WNDPROC), original);
    SendMessageW(hwnd(), 2025, 0, 514);
    EXPECT_EQ(seen, (std::vector<unsigned>{2025, WM_GETTEXT}));
}

TEST_F(TrayWin32Test, AnIconCanBeAddedAndDeletedAndTheTaskBarMessageIsKnown) {
    tray.hook(form, [](unsigned, std::uintptr_t, std::intptr_t) { return std::nullopt; });
    tray.addIcon(form, 2025, "星澜网络收音机");
    tray.deleteIcon(form);
    tray.unhook(form);
    EXPECT_EQ(tray.taskbarCreatedMessage(), RegisterWindowMessageW(L"TaskbarCreated"));
    EXPECT_GE(tray.taskbarCreatedMessage(), 0xC000u);
}

TEST_F(TrayWin32Test, AWindowDestroyedInTheTrayTakesItsHookAlong) {
    tray.hook(form, [](unsigned, std::uintptr_t, std::intptr_t) { return std::nullopt; });
    tray.addIcon(form, 2025, "星澜网络收音机");
    form.unload();
    form.load();
    // A fresh window of the same form can be hooked again.
    bool called = false;
    tray.hook(form,
              [&](unsigned msg, std::uintptr_t, std::intptr_t) -> std::optional<std::intptr_t> {
                  called = called || msg == 2025;
                  return std::nullopt;
              });
    SendMessageW(hwnd(), 2025, 0, 0);
    EXPECT_TRUE(called);
    tray.unhook(form);
}

class RegistryWin32Test : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &key_, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        RegCloseKey(key_);
        RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\SonorinTest");
    }
    static constexpr const wchar_t* kKey = L"Software\\SonorinTest\\共享工具";
    HKEY key_ = nullptr;
    Win32Registry registry;
};

TEST_F(RegistryWin32Test, TextAndNumbersAreReadAndMissingOnesAreNot) {
    const std::wstring path = L"C:\\Program Files\\微软\\msinfo32.exe";
    RegSetValueExW(key_, L"PATH", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                   static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    const DWORD number = 1234;
    RegSetValueExW(key_, L"N", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);

    const auto text =
        registry.read(RegistryRoot::CurrentUser, "Software\\SonorinTest\\共享工具", "PATH");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->type, 1u);
    EXPECT_EQ(text->data, "C:\\Program Files\\微软\\msinfo32.exe");
    const auto value =
        registry.read(RegistryRoot::CurrentUser, "Software\\SonorinTest\\共享工具", "N");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, 4u);
    EXPECT_EQ(value->number, 1234u);
    EXPECT_FALSE(registry.read(RegistryRoot::CurrentUser, "Software\\SonorinTest\\共享工具", "X"));
    EXPECT_FALSE(registry.read(RegistryRoot::LocalMachine, "SOFTWARE\\No\\Such\\Key", "PATH"));
}

}  // namespace
}  // namespace sonorin::win32
