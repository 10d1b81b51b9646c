// The WebBrowser pane under Wine, where the control can be created but never gets a document
// (no Gecko): it must host the control, raise the download events, read as "no page" until a
// page is there and come and go cleanly. Its stand-in is tested in portal_win32_test.cpp.
#include "win32/browser_win32.h"

#include <windows.h>

#include <gtest/gtest.h>
#include <ole2.h>

#include <climits>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "win32/pump.h"

namespace sonorin {
namespace {

// Nothing listens there: the download begins and ends at once with a refused connection.
constexpr char kRadioPage[] = "http://127.0.0.1:9/radio";

HWND createTopWindow() {
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"SonorinBrowserTestWindow";
        return RegisterClassExW(&windowClass) != 0;
    }();
    if (!registered) {
        return nullptr;
    }
    return CreateWindowExW(0, L"SonorinBrowserTestWindow", L"browser pane test",
                           WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 640, 480,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

SIZE clientSize(HWND window) {
    RECT area{};
    GetClientRect(window, &area);
    return SIZE{area.right - area.left, area.bottom - area.top};
}

// The pane's position in its parent's client area.
RECT placement(HWND pane) {
    RECT bounds{};
    GetWindowRect(pane, &bounds);
    MapWindowPoints(HWND_DESKTOP, GetParent(pane), reinterpret_cast<POINT*>(&bounds), 2);
    return bounds;
}

void expectNoPage(Browser& pane) {
    EXPECT_EQ(pane.linkCount(), 0);
    for (int index : {0, 1, -1, INT_MAX, INT_MIN}) {
        EXPECT_EQ(pane.linkText(index), "") << index;
        pane.clickLink(index);
    }
    EXPECT_EQ(pane.documentText(), "");
}

class BrowserPaneTest : public ::testing::Test {
  protected:
    void SetUp() override {
        parent_ = createTopWindow();
        ASSERT_NE(parent_, nullptr);
    }
    void TearDown() override {
        if (IsWindow(parent_)) {
            DestroyWindow(parent_);
        }
        testing::pumpPending();
    }

    HWND parent_ = nullptr;
};

TEST_F(BrowserPaneTest, HostsTheControlInAChildWindowThatFollowsItsBounds) {
    auto pane = createWebBrowserControlPane(parent_, RECT{10, 20, 410, 320});
    ASSERT_NE(pane, nullptr);
    ASSERT_NE(pane->hwnd(), nullptr);
    EXPECT_EQ(GetParent(pane->hwnd()), parent_);
    EXPECT_TRUE(IsWindowVisible(pane->hwnd()));
    const RECT initial = placement(pane->hwnd());
    EXPECT_EQ(initial.left, 10);
    EXPECT_EQ(initial.top, 20);
    EXPECT_EQ(initial.right, 410);
    EXPECT_EQ(initial.bottom, 320);

    // The control's own window sits inside the pane and fills it.
    ASSERT_TRUE(pane->hasControl());
    const HWND control = GetWindow(pane->hwnd(), GW_CHILD);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(clientSize(control).cx, 400);
    EXPECT_EQ(clientSize(control).cy, 300);

    pane->setBounds(RECT{0, 5, 250, 105});
    testing::pumpFor(50);
    const RECT moved = placement(pane->hwnd());
    EXPECT_EQ(moved.left, 0);
    EXPECT_EQ(moved.top, 5);
    EXPECT_EQ(moved.right, 250);
    EXPECT_EQ(moved.bottom, 105);
    EXPECT_EQ(clientSize(control).cx, 250);
    EXPECT_EQ(clientSize(control).cy, 100);

    pane->setVisible(false);
    EXPECT_FALSE(IsWindowVisible(pane->hwnd()));
    pane->setVisible(true);
    EXPECT_TRUE(IsWindowVisible(pane->hwnd()));

    const HWND window = pane->hwnd();
    pane.reset();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(IsWindow(control));
    EXPECT_TRUE(IsWindow(parent_));
}

TEST_F(BrowserPaneTest, WithoutADocumentThereAreNoLinksAndNoText) {
    auto pane = createWebBrowserControlPane(parent_, RECT{0, 0, 400, 300});
    ASSERT_TRUE(pane->hasControl());
    expectNoPage(*pane);  // before the first navigation

    const ULONGLONG before = GetTickCount64();
    pane->navigate(kRadioPage);
    EXPECT_LT(GetTickCount64() - before, 1000u) << "navigate must not wait for the page";
    testing::pumpFor(300);
    expectNoPage(*pane);

    pane->stop();
    pane->setSilent(false);
    pane->setSilent(true);
    pane->stop();
    // Addresses with Chinese text and with malformed UTF-8 are passed on without trouble.
    pane->navigate("http://127.0.0.1:9/电台?名称=中文环球");
    pane->navigate("http://127.0.0.1:9/\xff\xfe");
    pane->navigate("about:blank");
    testing::pumpFor(200);
    expectNoPage(*pane);
}

TEST_F(BrowserPaneTest, RaisesTheDownloadEventsAroundANavigation) {
    auto pane = createWebBrowserControlPane(parent_, RECT{0, 0, 400, 300});
    ASSERT_TRUE(pane->hasControl());
    std::vector<std::string> events;
    pane->onDownloadBegin = [&] {
        events.push_back("begin");
        pane->setSilent(true);  // what the main window does on every event
    };
    pane->onDownloadComplete = [&] {
        events.push_back("complete");
        pane->setSilent(true);
    };
    pane->navigate(kRadioPage);
    ASSERT_TRUE(testing::pumpUntil([&] { return events.size() >= 2; }, 5000));
    EXPECT_EQ(events.front(), "begin");
    EXPECT_EQ(events.back(), "complete");

    // Handlers that throw do not unwind into the control, and no handler at all is fine.
    int thrown = 0;
    pane->onDownloadBegin = [&] {
        ++thrown;
        throw std::runtime_error("handler failure");
    };
    pane->onDownloadComplete = nullptr;
    pane->navigate(kRadioPage);
    EXPECT_TRUE(testing::pumpUntil([&] { return thrown > 0; }, 5000));
    testing::pumpFor(200);
    pane->onDownloadBegin = nullptr;
    bool completed = false;
    pane->onDownloadComplete = [&] { completed = true; };
    pane->navigate(kRadioPage);
    EXPECT_TRUE(testing::pumpUntil([&] { return completed; }, 5000));
}

TEST_F(BrowserPaneTest, NoEventReachesAPaneThatIsGone) {
    int completions = 0;
    bool gone = false;
    {
        auto pane = createWebBrowserControlPane(parent_, RECT{0, 0, 400, 300});
        ASSERT_TRUE(pane->hasControl());
        // A refused connection may complete before the pane goes (on a loaded machine); only
        // what comes after counts.
        pane->onDownloadComplete = [&] { completions += gone ? 1 : 0; };
        pane->navigate(kRadioPage);  // the download is still under way when the pane goes
    }
    gone = true;
    testing::pumpFor(500);
    EXPECT_EQ(completions, 0);
}

TEST_F(BrowserPaneTest, SurvivesItsParentWindow) {
    auto pane = createWebBrowserControlPane(parent_, RECT{0, 0, 400, 300});
    ASSERT_TRUE(pane->hasControl());
    int events = 0;
    pane->onDownloadBegin = [&] { ++events; };
    pane->onDownloadComplete = [&] { ++events; };
    pane->navigate(kRadioPage);
    ASSERT_TRUE(DestroyWindow(parent_));
    // The control went with the window; the pane now reads as empty and ignores commands.
    EXPECT_EQ(pane->hwnd(), nullptr);
    EXPECT_FALSE(pane->hasControl());
    const int eventsSoFar = events;
    pane->navigate(kRadioPage);
    pane->stop();
    pane->setSilent(true);
    pane->setBounds(RECT{0, 0, 10, 10});
    pane->setVisible(true);
    testing::pumpFor(300);
    EXPECT_EQ(events, eventsSoFar);
    expectNoPage(*pane);
    pane.reset();
}

TEST_F(BrowserPaneTest, ComeAndGoManyTimes) {
    for (int round = 0; round < 5; ++round) {
        auto pane = createWebBrowserControlPane(parent_, RECT{0, 0, 300, 200});
        ASSERT_TRUE(pane->hasControl()) << "round " << round;
        pane->navigate(kRadioPage);
        testing::pumpFor(20);
        expectNoPage(*pane);
    }
    // Two panes side by side in one window, destroyed in the order they were made.
    auto left = createWebBrowserControlPane(parent_, RECT{0, 0, 300, 200});
    auto right = createWebBrowserControlPane(parent_, RECT{300, 0, 600, 200});
    ASSERT_TRUE(left->hasControl());
    ASSERT_TRUE(right->hasControl());
    EXPECT_NE(left->hwnd(), right->hwnd());
    left->navigate(kRadioPage);
    right->navigate(kRadioPage);
    testing::pumpFor(100);
    left.reset();
    expectNoPage(*right);
    right->stop();
    right.reset();
    EXPECT_EQ(GetWindow(parent_, GW_CHILD), nullptr);
}

TEST_F(BrowserPaneTest, WithoutAnHtmlEngineThePaneIsTheStandInFromTheStart) {
    if (!htmlEngineMissing()) {
        GTEST_SKIP() << "this Wine has an HTML engine (or this is Windows)";
    }
    auto pane = createWebBrowserPane(parent_, RECT{0, 0, 400, 300});
    ASSERT_NE(pane->hwnd(), nullptr);
    EXPECT_TRUE(pane->usesStandIn()) << "no waiting for a document that cannot come";
    EXPECT_FALSE(pane->hasControl());
}

TEST(BrowserPaneDegraded, WithoutAParentThereIsNoWindowAndNoPage) {
    auto pane = createWebBrowserControlPane(nullptr, RECT{0, 0, 100, 100});
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->hwnd(), nullptr);
    EXPECT_FALSE(pane->hasControl());
    bool raised = false;
    pane->onDownloadBegin = [&] { raised = true; };
    pane->navigate(kRadioPage);
    pane->stop();
    pane->setSilent(true);
    pane->setBounds(RECT{0, 0, 50, 50});
    pane->setVisible(false);
    expectNoPage(*pane);
    EXPECT_FALSE(raised);
}

// How a pane on a fresh thread leaves that thread's OLE state. Each case runs on its own
// thread so that what other tests did to the main thread does not count.
struct OleOutcome {
    bool hadWindow = false;
    bool hadControl = false;
    bool readAsNoPage = false;
    HRESULT initialiseAfterwards = E_FAIL;  // OleInitialize once the pane is gone
};

enum class ThreadSetup { Nothing, OleInitialised, MultiThreaded };

OleOutcome paneOnFreshThread(ThreadSetup setup) {
    OleOutcome outcome;
    std::thread([&] {
        HRESULT own = S_OK;
        if (setup == ThreadSetup::OleInitialised) {
            own = OleInitialize(nullptr);
        } else if (setup == ThreadSetup::MultiThreaded) {
            own = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        }
        const HWND parent = createTopWindow();
        {
            auto pane = createWebBrowserControlPane(parent, RECT{0, 0, 200, 100});
            outcome.hadWindow = pane->hwnd() != nullptr;
            outcome.hadControl = pane->hasControl();
            pane->navigate(kRadioPage);
            testing::pumpFor(50);
            outcome.readAsNoPage = pane->linkCount() == 0 && pane->documentText().empty();
        }
        DestroyWindow(parent);
        testing::pumpPending();
        outcome.initialiseAfterwards = OleInitialize(nullptr);
        if (SUCCEEDED(outcome.initialiseAfterwards)) {
            OleUninitialize();
        }
        if (setup == ThreadSetup::OleInitialised && SUCCEEDED(own)) {
            OleUninitialize();
        } else if (setup == ThreadSetup::MultiThreaded && SUCCEEDED(own)) {
            CoUninitialize();
        }
    }).join();
    return outcome;
}

TEST(BrowserPaneOle, InitialisesOleItselfAndUndoesIt) {
    const OleOutcome outcome = paneOnFreshThread(ThreadSetup::Nothing);
    EXPECT_TRUE(outcome.hadWindow);
    EXPECT_TRUE(outcome.readAsNoPage);
    EXPECT_TRUE(outcome.hadControl);
    EXPECT_EQ(outcome.initialiseAfterwards, S_OK) << "OLE left initialised by the pane";
}

TEST(BrowserPaneOle, LeavesTheCallersOleInitialisationInPlace) {
    const OleOutcome outcome = paneOnFreshThread(ThreadSetup::OleInitialised);
    EXPECT_TRUE(outcome.hadWindow);
    EXPECT_TRUE(outcome.readAsNoPage);
    EXPECT_TRUE(outcome.hadControl);
    EXPECT_EQ(outcome.initialiseAfterwards, S_FALSE) << "the caller's OLE was torn down";
}

TEST(BrowserPaneOle, InAMultithreadedApartmentThePaneStaysEmpty) {
    const OleOutcome outcome = paneOnFreshThread(ThreadSetup::MultiThreaded);
    EXPECT_TRUE(outcome.hadWindow);
    EXPECT_TRUE(outcome.readAsNoPage);
    EXPECT_FALSE(outcome.hadControl);
    EXPECT_EQ(outcome.initialiseAfterwards, RPC_E_CHANGED_MODE);
}

}  // namespace
}  // namespace sonorin
