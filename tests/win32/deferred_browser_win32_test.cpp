// The radio pane made on first need: nothing is made until a navigation, a navigation of a
// window not yet shown waits for the message loop, and the state set meanwhile reaches the
// pane once it exists.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "win32/deferred_browser_win32.h"
#include "win32/pump.h"

namespace sonorin {
namespace {

struct Made {
    int count = 0;
    RECT bounds{};
    std::vector<std::string> calls;  // in order: "navigate URL", "visible 0", "silent 1"...
};

class RecordingPane : public Win32BrowserPane {
  public:
    explicit RecordingPane(Made& made) : made_(made) {}
    void navigate(const std::string& address) override { log("navigate " + address); }
    void stop() override { log("stop"); }
    void setSilent(bool silent) override { log(silent ? "silent 1" : "silent 0"); }
    int linkCount() override { return 3; }
    std::string linkText(int) override { return "中文环球"; }
    void clickLink(int index) override { log("click " + std::to_string(index)); }
    void refresh() override { log("refresh"); }
    std::string documentText() override { return "page"; }
    void setBounds(RECT bounds) override { made_.bounds = bounds; }
    void setVisible(bool visible) override { log(visible ? "visible 1" : "visible 0"); }
    HWND hwnd() const override { return nullptr; }
    bool hasControl() const override { return true; }
    bool usesStandIn() const override { return false; }

  private:
    void log(const std::string& call) { made_.calls.push_back(call); }
    Made& made_;
};

class DeferredBrowserTest : public ::testing::Test {
  protected:
    void SetUp() override {
        parent = CreateWindowExW(0, L"STATIC", L"pane parent", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(parent, nullptr);
    }
    void TearDown() override {
        pane.reset();
        DestroyWindow(parent);
    }
    void makePane() {
        pane = std::make_unique<DeferredBrowserPane>(
            parent, RECT{1, 2, 30, 40}, [this](HWND p, RECT bounds) {
                EXPECT_EQ(p, parent);
                ++made.count;
                made.bounds = bounds;
                return std::make_unique<RecordingPane>(made);
            });
    }

    HWND parent = nullptr;
    Made made;
    std::unique_ptr<DeferredBrowserPane> pane;
};

TEST_F(DeferredBrowserTest, APaneThatNeverNavigatesIsNeverMadeAndHasNoPage) {
    makePane();
    pane->setBounds(RECT{5, 6, 70, 80});
    pane->setVisible(false);
    pane->setSilent(true);
    pane->stop();
    testing::pumpFor(200);
    EXPECT_EQ(pane->linkCount(), 0);
    EXPECT_EQ(pane->linkText(0), "");
    pane->clickLink(0);
    EXPECT_EQ(pane->documentText(), "");
    EXPECT_FALSE(pane->hasControl());
    EXPECT_EQ(pane->hwnd(), nullptr);
    EXPECT_EQ(made.count, 0);
}

TEST_F(DeferredBrowserTest, ANavigationBeforeTheWindowShowsWaitsForTheMessageLoop) {
    makePane();
    pane->navigate("http://radio.sonorin.cn/first");
    pane->navigate("http://radio.sonorin.cn/radio");
    pane->setBounds(RECT{5, 6, 70, 80});
    pane->setVisible(false);
    pane->setSilent(false);
    EXPECT_EQ(made.count, 0) << "made before the window could show";
    EXPECT_EQ(pane->linkCount(), 0);

    ShowWindow(parent, SW_SHOWNORMAL);
    testing::pumpFor(200);
    ASSERT_EQ(made.count, 1);
    EXPECT_TRUE(pane->made());
    EXPECT_EQ(made.bounds.left, 5);
    EXPECT_EQ(made.bounds.bottom, 80);
    // What was set meanwhile first, then only the last address.
    EXPECT_EQ(made.calls, (std::vector<std::string>{"visible 0", "silent 0",
                                                    "navigate http://radio.sonorin.cn/radio"}));

    // From now on everything goes straight to the pane.
    made.calls.clear();
    pane->navigate("http://radio.sonorin.cn/guangbo/");
    pane->clickLink(2);
    pane->stop();
    EXPECT_EQ(pane->linkCount(), 3);
    EXPECT_EQ(pane->documentText(), "page");
    EXPECT_EQ(made.calls, (std::vector<std::string>{"navigate http://radio.sonorin.cn/guangbo/",
                                                    "click 2", "stop"}));
    EXPECT_EQ(made.count, 1);
}

TEST_F(DeferredBrowserTest, ANavigationOfAVisibleWindowMakesThePaneAtOnce) {
    ShowWindow(parent, SW_SHOWNORMAL);
    makePane();
    pane->navigate("http://radio.sonorin.cn/radio");
    EXPECT_EQ(made.count, 1);
    ASSERT_FALSE(made.calls.empty());
    EXPECT_EQ(made.calls.back(), "navigate http://radio.sonorin.cn/radio");
}

TEST_F(DeferredBrowserTest, AStopBeforeThePaneIsMadeDropsThePendingNavigation) {
    makePane();
    pane->navigate("http://radio.sonorin.cn/radio");
    pane->stop();
    testing::pumpFor(200);
    EXPECT_EQ(made.count, 1);
    for (const std::string& call : made.calls)
        EXPECT_NE(call.rfind("navigate", 0), 0u) << call;
}

// The pane is made from the message loop: a factory that throws there must not take the loop
// with it, and the next navigation tries again.
TEST_F(DeferredBrowserTest, AFailedMakingOnTheMessageLoopIsTriedAgainByTheNextNavigation) {
    int attempts = 0;
    pane = std::make_unique<DeferredBrowserPane>(
        parent, RECT{1, 2, 30, 40}, [&](HWND, RECT) -> std::unique_ptr<Win32BrowserPane> {
            if (++attempts == 1)
                throw std::runtime_error("no pane");
            return std::make_unique<RecordingPane>(made);
        });
    pane->navigate("http://radio.sonorin.cn/radio");
    ShowWindow(parent, SW_SHOWNORMAL);
    EXPECT_NO_THROW(testing::pumpFor(200));
    EXPECT_EQ(attempts, 1);
    EXPECT_FALSE(pane->made());

    pane->navigate("http://radio.sonorin.cn/guangbo/");
    EXPECT_EQ(attempts, 2);
    EXPECT_TRUE(pane->made());
    EXPECT_EQ(made.calls.back(), "navigate http://radio.sonorin.cn/guangbo/");
}

TEST_F(DeferredBrowserTest, APaneGoneBeforeItsTurnLeavesNoTimerBehind) {
    makePane();
    pane->navigate("http://radio.sonorin.cn/radio");
    pane.reset();
    testing::pumpFor(200);  // a timer left behind would call into the freed pane
    EXPECT_EQ(made.count, 0);
}

}  // namespace
}  // namespace sonorin
