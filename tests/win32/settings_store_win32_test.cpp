#include "win32/settings_store_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "win32/wide.h"

namespace sonorin {
namespace {

class Win32SettingsStoreTest : public ::testing::Test {
  protected:
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER,
                       (L"Software\\VB and VBA Program Settings\\" + win32::wide(app)).c_str());
    }

    // A private application name so that runs never see each other's values.
    const std::string app = "SonorinTest 设置 " + std::to_string(GetCurrentProcessId());
    Win32SettingsStore store;
};

TEST_F(Win32SettingsStoreTest, MissingKeysGiveTheDefault) {
    EXPECT_EQ(store.getSetting(app, "StartUp", "Rate", "44100"), "44100");
    ASSERT_TRUE(store.saveSetting(app, "StartUp", "Rate", "8000"));
    EXPECT_EQ(store.getSetting(app, "StartUp", "Channels", "2"), "2");
    EXPECT_EQ(store.getSetting(app, "Other", "Rate", "默认"), "默认");
}

TEST_F(Win32SettingsStoreTest, ChineseTextRoundTripsAsAStringValueInTheSettingsArea) {
    const std::string name = "D:\\录音文件\\广播 录音.wav";
    ASSERT_TRUE(store.saveSetting(app, "StartUp", "WaveFileName", "old"));
    ASSERT_TRUE(store.saveSetting(app, "StartUp", "WaveFileName", name));
    EXPECT_EQ(store.getSetting(app, "StartUp", "WaveFileName", "C:\\Radio.wav"), name);
    ASSERT_TRUE(store.saveSetting(app, "StartUp", "WaveAutomaticSave", ""));
    EXPECT_EQ(store.getSetting(app, "StartUp", "WaveAutomaticSave", "True"), "");

    // Where other tools expect it: a REG_SZ under the per-user application-settings key.
    HKEY key = nullptr;
    const std::wstring path =
        L"Software\\VB and VBA Program Settings\\" + win32::wide(app) + L"\\StartUp";
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key),
              ERROR_SUCCESS);
    wchar_t data[64] = {};
    DWORD type = 0;
    DWORD size = sizeof(data);
    EXPECT_EQ(RegQueryValueExW(key, L"WaveFileName", nullptr, &type, reinterpret_cast<BYTE*>(data),
                               &size),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::wstring(data), win32::wide(name));
}

TEST_F(Win32SettingsStoreTest, ValuesOfOtherTypesReadAsMissing) {
    ASSERT_TRUE(store.saveSetting(app, "StartUp", "Rate", "8000"));
    HKEY key = nullptr;
    const std::wstring path =
        L"Software\\VB and VBA Program Settings\\" + win32::wide(app) + L"\\StartUp";
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    const DWORD number = 22050;
    RegSetValueExW(key, L"Rate", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                   sizeof(number));
    RegCloseKey(key);
    EXPECT_EQ(store.getSetting(app, "StartUp", "Rate", "44100"), "44100");
}

}  // namespace
}  // namespace sonorin
