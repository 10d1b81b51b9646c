// The real prompts under a window system: a second thread plays the user, finding the box
// the test thread is waiting in, reading it and answering it with ordinary window messages.
#include "win32/prompts_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "win32/pump.h"
#include "win32/wide.h"

namespace sonorin {
namespace {

std::wstring textOf(HWND h) {
    wchar_t buffer[512] = {};
    GetWindowTextW(h, buffer, 512);
    return buffer;
}

std::wstring classOf(HWND h) {
    wchar_t buffer[64] = {};
    GetClassNameW(h, buffer, 64);
    return buffer;
}

// A visible top-level window of `thread` with that class and, when given, that caption.
HWND findWindowOf(DWORD thread, const std::wstring& cls, const std::wstring* caption) {
    struct Search {
        const std::wstring& cls;
        const std::wstring* caption;
        HWND found;
    } search{cls, caption, nullptr};
    EnumThreadWindows(
        thread,
        [](HWND h, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            if (IsWindowVisible(h) && classOf(h) == s->cls &&
                (!s->caption || textOf(h) == *s->caption)) {
                s->found = h;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class PromptsWin32Test : public ::testing::Test {
  protected:
    void TearDown() override {
        if (user_.joinable())
            user_.join();
        if (owner_)
            DestroyWindow(owner_);
        // A user thread that gave up ended the box with WM_QUIT; do not let it leak into
        // the next test.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }

    // Starts the user: waits until a box of that class (and caption) shows, then acts on it.
    // A box that never shows, or stays open after the act, is a failure, and the test thread
    // is freed with WM_QUIT.
    void user(std::wstring cls, std::wstring caption, std::function<void(HWND)> act,
              bool matchCaption = true) {
        const DWORD thread = GetCurrentThreadId();
        user_ = std::thread([=] {
            for (int i = 0; i < 250; ++i) {
                if (HWND box = findWindowOf(thread, cls, matchCaption ? &caption : nullptr)) {
                    act(box);
                    for (int j = 0; j < 150 && IsWindow(box); ++j)
                        std::this_thread::sleep_for(std::chrono::milliseconds(20));
                    if (!IsWindow(box))
                        return;
                    ADD_FAILURE() << "the box stayed open";
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            if (!IsWindow(findWindowOf(thread, cls, nullptr)))
                ADD_FAILURE() << "no " << win32::narrow(cls) << " window appeared";
            PostThreadMessageW(thread, WM_QUIT, 0, 0);
        });
    }

    void finishUser() {
        if (user_.joinable())
            user_.join();
    }

    // A program window the user works in, active, so prompts belong to it.
    HWND makeOwner() {
        owner_ =
            CreateWindowExW(0, L"STATIC", L"Sonorin 主窗口", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100,
                            100, 400, 300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetForegroundWindow(owner_);
        SetActiveWindow(owner_);
        testing::pumpPending();
        return owner_;
    }

    Win32Prompts prompts;
    HWND owner_ = nullptr;

  private:
    std::thread user_;
};

TEST_F(PromptsWin32Test, InputBoxOffersTheDefaultSelectedAndReturnsWhatIsTyped) {
    const DWORD thread = GetCurrentThreadId();
    const std::wstring title = L"开始时间 1";
    user(kInputBoxClass, title, [thread](HWND box) {
        HWND edit = GetDlgItem(box, kInputBoxEditId);
        ASSERT_TRUE(edit);
        EXPECT_EQ(classOf(edit), L"Edit");
        EXPECT_EQ(textOf(edit), L"2026/12/6 9:05:07");
        EXPECT_EQ(textOf(GetDlgItem(box, kInputBoxPromptId)), L"输入录音开始时间");
        // The whole default is selected and has the keyboard focus, so typing replaces it.
        const LRESULT selection = SendMessageW(edit, EM_GETSEL, 0, 0);
        EXPECT_EQ(LOWORD(selection), 0);
        EXPECT_EQ(HIWORD(selection), 17);
        GUITHREADINFO gui{};
        gui.cbSize = sizeof(gui);
        ASSERT_TRUE(GetGUIThreadInfo(thread, &gui));
        EXPECT_EQ(gui.hwndFocus, edit);
        EXPECT_EQ(GetWindowLongPtrW(GetDlgItem(box, IDOK), GWL_STYLE) & BS_TYPEMASK,
                  BS_DEFPUSHBUTTON);

        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"2026/12/6 20:00:00 晚"));
        PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(prompts.inputBox("输入录音开始时间", win32::narrow(title), "2026/12/6 9:05:07"),
              "2026/12/6 20:00:00 晚");
}

TEST_F(PromptsWin32Test, InputBoxCancelEscapeAndCloseAnswerNothingAndEnterIsOk) {
    const std::function<void(HWND)> ways[] = {
        [](HWND box) { PostMessageW(GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0); },
        [](HWND box) { PostMessageW(GetDlgItem(box, kInputBoxEditId), WM_KEYDOWN, VK_ESCAPE, 0); },
        [](HWND box) { PostMessageW(box, WM_CLOSE, 0, 0); },
    };
    for (const auto& way : ways) {
        user(kInputBoxClass, L"Filename for automatic saving", way);
        EXPECT_EQ(prompts.inputBox("Filename: ", "Filename for automatic saving", "C:\\Radio.wav"),
                  "");
        finishUser();
    }
    user(kInputBoxClass, L"Filename for automatic saving", [](HWND box) {
        PostMessageW(GetDlgItem(box, kInputBoxEditId), WM_KEYDOWN, VK_RETURN, 0);
    });
    EXPECT_EQ(prompts.inputBox("Filename: ", "Filename for automatic saving", "D:\\录音\\广播.wav"),
              "D:\\录音\\广播.wav");
}

TEST_F(PromptsWin32Test, InputBoxBelongsToTheActiveWindowAndKeepsItDisabledMeanwhile) {
    HWND owner = makeOwner();
    ASSERT_EQ(GetActiveWindow(), owner);
    user(kInputBoxClass, L"结束时间", [owner](HWND box) {
        EXPECT_EQ(GetWindow(box, GW_OWNER), owner);
        EXPECT_FALSE(IsWindowEnabled(owner));
        EXPECT_EQ(textOf(box), L"结束时间");
        PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(prompts.inputBox("输入录音结束时间", "结束时间", ""), "");
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_FALSE(findWindowOf(GetCurrentThreadId(), kInputBoxClass, nullptr));
}

TEST_F(PromptsWin32Test, MessageBoxShowsTextAndTitleAndReportsTheButtonPressed) {
    HWND owner = makeOwner();
    user(L"#32770", L"星澜网络收音机", [owner](HWND box) {
        EXPECT_EQ(GetWindow(box, GW_OWNER), owner);
        EXPECT_EQ(textOf(GetDlgItem(box, 65535)), L"你正在录音，继续将导致录音停止！继续吗？");
        EXPECT_TRUE(GetDlgItem(box, IDYES));
        PostMessageW(GetDlgItem(box, IDNO), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(prompts.messageBox("你正在录音，继续将导致录音停止！继续吗？", "星澜网络收音机",
                                 MsgButtons::YesNo, MsgIcon::Question),
              MsgAnswer::No);
    finishUser();

    // An empty title stays empty rather than the system's "Error".
    user(
        L"#32770", L"",
        [](HWND box) {
            EXPECT_EQ(textOf(box), L"");
            EXPECT_EQ(textOf(GetDlgItem(box, 65535)), L"录音完成！");
            PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        },
        false);
    EXPECT_EQ(prompts.messageBox("录音完成！", "", MsgButtons::Ok, MsgIcon::None), MsgAnswer::Ok);
}

TEST_F(PromptsWin32Test, SaveDialogReturnsTheChosenPathOrNothingOnCancel) {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    const std::string folder = win32::narrow(temp) + "sonorin 保存 测试";
    CreateDirectoryW(win32::wide(folder).c_str(), nullptr);
    ASSERT_NE(GetFileAttributesW(win32::wide(folder).c_str()), INVALID_FILE_ATTRIBUTES);
    // The dialog makes the chosen folder the current one, as it always has; put it back.
    wchar_t current[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH + 1, current);

    SaveDialogRequest request;
    request.title = "保存录音文件";
    request.initialFolder = folder;
    request.fileName = "录音_从2026-12-6_9-05-07到2026-12-6_9-20-00";
    request.filter = "WAV file (*.wav*)|*.wav";
    user(L"#32770", L"保存录音文件",
         [](HWND box) { PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0); });
    const std::optional<std::string> chosen = prompts.saveFileDialog(request);
    finishUser();
    // A name without an extension gets the filter's; one with another extension keeps it.
    EXPECT_EQ(chosen, folder + "\\录音_从2026-12-6_9-05-07到2026-12-6_9-20-00.wav");
    request.fileName = "节目.mp3";
    user(L"#32770", L"保存录音文件",
         [](HWND box) { PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0); });
    EXPECT_EQ(prompts.saveFileDialog(request), folder + "\\节目.mp3");
    finishUser();

    user(L"#32770", L"保存录音文件",
         [](HWND box) { PostMessageW(GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0); });
    EXPECT_EQ(prompts.saveFileDialog(request), std::nullopt);
    finishUser();
    SetCurrentDirectoryW(current);
    RemoveDirectoryW(win32::wide(folder).c_str());
}

}  // namespace
}  // namespace sonorin
