// The stand-in pane's fetching: an answer that trickles in never holds the pane for long.
#include "win32/fallback_fetch_win32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "win32/pump.h"

namespace sonorin::win32 {
namespace {

PageFetcher* fetcherOfWindow = nullptr;

LRESULT CALLBACK fetcherWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (PageFetcher::handle(fetcherOfWindow, message, wParam, lParam))
        return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}

// Answers one request on 127.0.0.1 with the start of a page, then a byte every 200 ms (never
// silent for long) until the connection is closed.
class TricklingServer {
  public:
    TricklingServer() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int size = sizeof address;
        if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(listener_, 1) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            return;
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~TricklingServer() {
        stop_ = true;
        closesocket(listener_);
        if (thread_.joinable())
            thread_.join();
        WSACleanup();
    }
    int port() const { return port_; }

  private:
    void serve() {
        const SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            return;
        char request[2048];
        recv(client, request, sizeof request, 0);
        const std::string head = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<p>";
        bool open = send(client, head.data(), int(head.size()), 0) > 0;
        while (open && !stop_) {
            Sleep(200);
            open = send(client, "x", 1, 0) == 1;
        }
        closesocket(client);
    }

    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

TEST(PageFetcher, AnAnswerThatTricklesInIsTakenAsFarAsItCameOnceItsTimeIsOut) {
    TricklingServer server;
    ASSERT_NE(server.port(), 0);
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
        const auto url =
            radio::parseHttpUrl("http://127.0.0.1:" + std::to_string(server.port()) + "/page");
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
