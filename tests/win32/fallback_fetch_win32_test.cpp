// The stand-in pane's fetching: an answer that trickles in never holds the pane for long.
#include "win32/fallback_fetch_win32.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "station_server.h"
#include "win32/pump.h"

namespace sonorin::win32 {
namespace {

PageFetcher* fetcherOfWindow = nullptr;

LRESULT CALLBACK fetcherWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (PageFetcher::handle(fetcherOfWindow, message, wParam, lParam))
        return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(PageFetcher, AnAnswerThatTricklesInIsTakenAsFarAsItCameOnceItsTimeIsOut) {
    sonorin::testing::StationServer server("");
    ASSERT_TRUE(server.running());
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = fetcherWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"SonorinPageFetcherTest";
    RegisterClassW(&windowClass);
    const HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0,
                                        HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr);
    ASSERT_TRUE(window);
    std::unique_ptr<PageFetcher::Answer> answer;
    ULONGLONG took = 0;
    {
        PageFetcher fetcher(
            window, [&](std::unique_ptr<PageFetcher::Answer> a) { answer = std::move(a); }, 1000);
        fetcherOfWindow = &fetcher;
        const auto url = radio::parseHttpUrl(server.url("/trickle"));
        ASSERT_TRUE(url);
        fetcher.add({1, PageFetcher::Kind::Page, *url});
        fetcher.startNext();
        const ULONGLONG start = GetTickCount64();
        sonorin::testing::pumpUntil([&] { return answer != nullptr; }, 5000);
        took = GetTickCount64() - start;
        fetcherOfWindow = nullptr;
    }
    DestroyWindow(window);
    ASSERT_TRUE(answer) << "still waiting after 5 s";
    EXPECT_LT(took, 3000u);
    EXPECT_TRUE(answer->reached);
    EXPECT_EQ(answer->body.substr(0, 4), "<p>x");  // as far as it came
}

}  // namespace
}  // namespace sonorin::win32
