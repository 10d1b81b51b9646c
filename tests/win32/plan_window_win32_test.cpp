// The listening-plan window and its editor on real windows: the native list view, combo
// boxes and time pickers show what the window holds, the user's input comes back, and the
// plan file written on Windows reads back byte for byte.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "app/AudioRecorder.h"
#include "app/frmDingshishouting.h"
#include "app/frmEdit.h"
#include "app/program.h"
#include "fakes/fake_loopback_server.h"
#include "fakes/fake_mci.h"
#include "fakes/fake_power.h"
#include "fakes/fake_process_info.h"
#include "fakes/fake_prompts.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_settings_store.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_station_player.h"
#include "fakes/fake_tray_icons.h"
#include "win32/clock_win32.h"
#include "win32/filesystem_win32.h"
#include "win32/pump.h"
#include "win32/wide.h"
#include "win32/window_system_win32.h"

namespace sonorin {
namespace {

using win32::narrow;
using win32::wide;

// The real file system, with the program's folder in a temporary folder of its own.
class FolderFileSystem : public Win32FileSystem {
  public:
    explicit FolderFileSystem(std::string folder) : folder_(std::move(folder)) {}
    std::string programFolder() override { return folder_; }

  private:
    std::string folder_;
};

std::string tempFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, buffer);
    return narrow(buffer) + "sonorin 计划 " + std::to_string(GetCurrentProcessId());
}

std::wstring text(HWND h) {
    wchar_t buffer[256] = {};
    GetWindowTextW(h, buffer, 256);
    return buffer;
}

std::wstring cell(HWND list, int row, int column) {
    wchar_t buffer[256] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 256;
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return buffer;
}

class PlanWindowWin32Test : public ::testing::Test {
  protected:
    PlanWindowWin32Test() : files(folder) {}
    void SetUp() override {
        CreateDirectoryW(wide(folder).c_str(), nullptr);
        mci.answer("status capture mode", "stopped");
        shell.online = false;  // the offline window: no browser pane to wait for
        program.start();
    }
    void TearDown() override {
        program.form<AudioRecorder>().unload();
        DeleteFileW(wide(path).c_str());
        RemoveDirectoryW(wide(folder + "\\录音文件").c_str());
        RemoveDirectoryW(wide(folder).c_str());
    }
    HWND child(const ui::Form& form, const wchar_t* cls, int nth = 0) {
        HWND h = nullptr;
        for (int i = 0; i <= nth; ++i)
            h = FindWindowExW(windows.windowOf(form), h, cls, nullptr);
        return h;
    }
    void command(const ui::Form& form, HWND from, UINT code) {
        SendMessageW(windows.windowOf(form), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(from), code),
                     reinterpret_cast<LPARAM>(from));
    }
    std::string fileBytes() { return files.readFile(path).value_or("(missing)"); }

    const std::string folder = tempFolder();
    const std::string path = folder + "\\RadioTime.ini";
    win32::Win32WindowSystem windows{GetModuleHandleW(nullptr)};
    win32::Win32Clock clock;
    FakePrompts prompts;
    FakeShell shell;
    FakeMci mci;
    FakeSettingsStore settings;
    FolderFileSystem files;
    FakeStationPlayer player;
    FakeLoopbackServer server;
    FakeTrayIcons tray;
    FakePowerApi power;
    FakeRegistry registry;
    FakeProcessInfo process;
    Platform platform{clock,  prompts, shell, mci,   settings, files,  windows,
                      player, server,  tray,  power, registry, process};
    Program program{platform};
};

const std::string kTwoPlans =
    "8:05:00\t8:35:00\t\xB1\xB1\xBE\xA9\xD0\xC2\xCE\xC5\r\n"
    "7:00:00\t\xB2\xBB\xC8\xB7\xB6\xA8\t\xC3\xC0\xB9\xFA\xD6\xAE\xD2\xF4\r\n";

TEST_F(PlanWindowWin32Test, TheNativeControlsShowThePlansAndTakeTheUsersInput) {
    ASSERT_TRUE(files.writeFile(path, kTwoPlans));
    frmDingshishouting& w = program.form<frmDingshishouting>();
    w.show();
    HWND list = child(w, WC_LISTVIEWW);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(text(windows.windowOf(w)), L"定时收听设置_星澜网络收音机");
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(cell(list, 0, 2), L"北京新闻");
    EXPECT_EQ(cell(list, 1, 1), L"不确定");
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 2, 0), windows.pixelsFromTwips(1628));
    EXPECT_FALSE(GetWindowLongW(list, GWL_STYLE) & LVS_SINGLESEL);
    EXPECT_FALSE(GetWindowLongW(list, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);

    // The caption "收听电台：" runs on under the station box beside it, never over it.
    HWND caption = FindWindowExW(windows.windowOf(w), nullptr, L"STATIC", L"收听电台：");
    ASSERT_NE(caption, nullptr);
    for (HWND below = GetWindow(child(w, L"ThunderRT6ComboBox", 4), GW_HWNDNEXT); below != caption;
         below = GetWindow(below, GW_HWNDNEXT))
        ASSERT_NE(below, nullptr) << "the label lies over the combo box";
    HWND hour = child(w, L"ThunderRT6ComboBox", 0);
    HWND duration = child(w, L"ThunderRT6ComboBox", 3);
    HWND station = child(w, L"ThunderRT6ComboBox", 4);
    ASSERT_TRUE(hour && duration && station);
    EXPECT_EQ(SendMessageW(hour, CB_GETCOUNT, 0, 0), 24);
    EXPECT_EQ(SendMessageW(station, CB_GETCOUNT, 0, 0), 36);
    EXPECT_EQ(text(duration), L"不确定");
    EXPECT_EQ(text(station), L"环球资讯");

    // The user types 23 / 50 / 00, picks "30分钟" and "英国BBC", and presses "添加".
    HWND minute = child(w, L"ThunderRT6ComboBox", 1);
    HWND second = child(w, L"ThunderRT6ComboBox", 2);
    const std::pair<HWND, const wchar_t*> typing[] = {
        {hour, L"23"}, {minute, L"50"}, {second, L"00"}};
    for (auto [box, typed] : typing) {
        SendMessageW(GetWindow(box, GW_CHILD), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed));
        command(w, box, CBN_EDITCHANGE);
    }
    SendMessageW(duration, CB_SETCURSEL, 5, 0);
    command(w, duration, CBN_SELCHANGE);
    SendMessageW(station, CB_SETCURSEL, 13, 0);
    command(w, station, CBN_SELCHANGE);
    SendMessageW(FindWindowExW(windows.windowOf(w), nullptr, L"ThunderRT6CommandButton", L"添加"),
                 BM_CLICK, 0, 0);
    EXPECT_TRUE(prompts.boxes.empty()) << prompts.boxes[0].text;
    ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(cell(list, 2, 0), L"23:50:00");
    EXPECT_EQ(cell(list, 2, 1), L"0:20:00");
    EXPECT_EQ(cell(list, 2, 2), L"英国BBC");

    // Closing by the title bar writes the file; the next load reads it back unchanged.
    SendMessageW(windows.windowOf(w), WM_CLOSE, 0, 0);
    EXPECT_FALSE(program.isLoaded<frmDingshishouting>());
    const std::string written = kTwoPlans +
                                "23:50:00\t0:20:00\t\xD3\xA2\xB9\xFA"
                                "BBC\r\n";
    EXPECT_EQ(fileBytes(), written);
    program.form<frmDingshishouting>().unload();
    EXPECT_EQ(fileBytes(), written);
}

TEST_F(PlanWindowWin32Test, TheEditorsPickersShowTheRowAndWriteTheUsersTimeBack) {
    ASSERT_TRUE(files.writeFile(path, kTwoPlans));
    frmDingshishouting& w = program.form<frmDingshishouting>();
    w.show();
    HWND list = child(w, WC_LISTVIEWW);
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(w.ListView1.selectedItem(), 1) << "the user's selection reaches the window";
    w.mnuEdit.click();
    frmEdit& e = program.form<frmEdit>();
    EXPECT_EQ(text(windows.windowOf(e)), L"Form1");
    HWND start = child(e, DATETIMEPICK_CLASSW, 0);
    HWND end = child(e, DATETIMEPICK_CLASSW, 1);
    ASSERT_TRUE(start && end);
    EXPECT_TRUE(GetWindowLongW(start, GWL_STYLE) & DTS_TIMEFORMAT);
    SYSTEMTIME st{};
    SendMessageW(end, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st));
    EXPECT_EQ(st.wHour * 100 + st.wMinute, 730) << "half an hour after 7:00:00";
    EXPECT_EQ(text(child(e, L"ThunderRT6ComboBox")), L"美国之音");

    SendMessageW(start, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st));
    st.wHour = 6;
    st.wMinute = 5;
    st.wSecond = 9;
    SendMessageW(start, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
    NMDATETIMECHANGE change{};
    change.nmhdr = {start, static_cast<UINT_PTR>(GetDlgCtrlID(start)), DTN_DATETIMECHANGE};
    change.st = st;
    SendMessageW(windows.windowOf(e), WM_NOTIFY, change.nmhdr.idFrom,
                 reinterpret_cast<LPARAM>(&change));
    SendMessageW(FindWindowExW(windows.windowOf(e), nullptr, L"ThunderRT6CommandButton", L"确定"),
                 BM_CLICK, 0, 0);
    EXPECT_FALSE(program.isLoaded<frmEdit>());
    EXPECT_EQ(cell(list, 1, 0), L"6:05:09");
    EXPECT_EQ(cell(list, 1, 1), L"7:30:00");
}

// The context menu's timer: notes that a pop-up menu is open and closes it.
bool gMenuShown = false;
void CALLBACK closeOpenMenu(HWND, UINT, UINT_PTR, DWORD) {
    if (HWND menu = FindWindowW(L"#32768", nullptr); menu && IsWindowVisible(menu)) {
        gMenuShown = true;
        EndMenu();
    }
}

TEST_F(PlanWindowWin32Test, ARealRightClickOnEmptySpaceKeepsTheSelectionAndShowsTheMenu) {
    ASSERT_TRUE(files.writeFile(path, kTwoPlans));
    frmDingshishouting& w = program.form<frmDingshishouting>();
    w.show();
    HWND list = child(w, WC_LISTVIEWW);
    SetForegroundWindow(windows.windowOf(w));
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
    ASSERT_EQ(w.ListView1.selectedItem(), 0);

    // A real press, through the system's input queue, near the bottom of the list: no row there.
    RECT area;
    GetClientRect(list, &area);
    POINT at{area.right / 2, area.bottom - 5};
    ClientToScreen(list, &at);
    SetCursorPos(at.x, at.y);
    INPUT press[2] = {};
    press[0].type = press[1].type = INPUT_MOUSE;
    press[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
    press[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
    gMenuShown = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, closeOpenMenu);
    ASSERT_EQ(SendInput(2, press, sizeof(INPUT)), 2u);
    testing::pumpUntil([] { return gMenuShown; }, 3000);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(gMenuShown) << "no context menu";
    EXPECT_EQ(w.ListView1.selectedItem(), 0);
    EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED), 0);
}

TEST_F(PlanWindowWin32Test, ASaveThatCannotReplaceTheFileKeepsItAndSaysSo) {
    ASSERT_TRUE(files.writeFile(path, kTwoPlans));
    // Another program holds the plan file open without sharing it.
    HANDLE held =
        CreateFileW(wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    frmDingshishouting& w = program.form<frmDingshishouting>();
    EXPECT_EQ(w.ListView1.rowCount(), 0) << "a file that cannot be read holds no plans";
    w.addPlan({"9:00:00", "9:30:00", "中文环球"});
    w.unload();
    CloseHandle(held);
    EXPECT_EQ(fileBytes(), kTwoPlans);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_NE(prompts.boxes[0].text.find(path), std::string::npos);
    EXPECT_EQ(GetFileAttributesW(wide(path + ".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
}

// The columns fill the list's width exactly: no horizontal scroll bar, empty or full.
TEST_F(PlanWindowWin32Test, ColumnsThatFitTheListBringNoHorizontalScrollBar) {
    frmDingshishouting& w = program.form<frmDingshishouting>();
    w.show();
    HWND list = child(w, WC_LISTVIEWW);
    EXPECT_FALSE(GetWindowLongW(list, GWL_STYLE) & WS_HSCROLL) << "empty list";
    for (int minute = 10; minute < 30; ++minute)
        w.addPlan({"9:" + std::to_string(minute) + ":00", "不确定", "中文环球"});
    ASSERT_TRUE(GetWindowLongW(list, GWL_STYLE) & WS_VSCROLL) << "twenty plans need scrolling";
    EXPECT_FALSE(GetWindowLongW(list, GWL_STYLE) & WS_HSCROLL) << "full list";
    w.ListView1.clearRows();
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 2, 0), windows.pixelsFromTwips(1628))
        << "without the vertical bar the last column has its width again";
}

}  // namespace
}  // namespace sonorin
