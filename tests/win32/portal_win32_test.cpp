// The portal's pieces on Windows: the loopback server answers on 127.0.0.1 only, and the pane's
// stand-in (used under Wine, where the browser control has no engine) fetches a page served
// here, lists its links and clicks them. The server runs on this thread, as in the program; the
// test's clients run on their own threads while this one lets messages through.
#include <windows.h>
#include <winsock2.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "win32/browser_win32.h"
#include "win32/loopback_server_win32.h"
#include "win32/pump.h"

namespace sonorin {
namespace {

constexpr int kPort = 28673;

// Sends `request` in `pieces` parts to address:port and returns all it gets back; "refused"
// when the connection fails.
std::string exchange(const char* address, int port, const std::string& request, int pieces = 1) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = inet_addr(address);
    to.sin_port = htons(static_cast<u_short>(port));
    if (connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        closesocket(s);
        return "refused";
    }
    const std::size_t step = request.size() / pieces + 1;
    for (std::size_t at = 0; at < request.size(); at += step) {
        send(s, request.data() + at, static_cast<int>(std::min(step, request.size() - at)), 0);
        Sleep(30);
    }
    std::string answer;
    char buffer[4096];
    for (int got; (got = recv(s, buffer, sizeof buffer, 0)) > 0;)
        answer.append(buffer, static_cast<std::size_t>(got));
    closesocket(s);
    return answer;
}

// Runs `client` on a thread while this thread serves; returns what it returned.
std::string whileServing(std::function<std::string()> client) {
    std::string result;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        result = client();
        done = true;
    });
    testing::pumpUntil([&] { return done.load(); }, 10000);
    worker.join();
    return result;
}

class WinsockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WSADATA data;
        ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    }
    void TearDown() override { WSACleanup(); }
};

using LoopbackServerTest = WinsockTest;

TEST_F(LoopbackServerTest, AnswersOnTheLoopbackAddressOnlyAndMovesOnWhenItsPortIsTaken) {
    win32::Win32LoopbackServer server;
    std::vector<std::string> heads;
    server.onRequest = [&](const std::string& head) {
        heads.push_back(head);
        return std::string("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
    };
    ASSERT_EQ(server.listen(kPort, 5), kPort);

    const std::string request = "GET /radio HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    EXPECT_EQ(whileServing([&] { return exchange("127.0.0.1", kPort, request); }),
              "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
    ASSERT_EQ(heads.size(), 1u);
    EXPECT_EQ(heads[0], request);
    // A head that arrives in pieces is answered once, when it is whole.
    EXPECT_EQ(whileServing([&] { return exchange("127.0.0.1", kPort, request, 4); }).substr(0, 15),
              "HTTP/1.1 200 OK");
    EXPECT_EQ(heads.size(), 2u);
    // A closing notice left in the queue for a connection that has gone does not end the one
    // that was given its handle: here one for every handle but the listener's, while a head
    // arrives in pieces.
    HWND serverWindow = FindWindowExW(HWND_MESSAGE, nullptr, L"SonorinLoopbackServer", nullptr);
    ASSERT_NE(serverWindow, nullptr);
    EXPECT_EQ(whileServing([&] {
                  std::thread stale([serverWindow] {
                      Sleep(40);
                      for (WPARAM handle = 4; handle < 8192; handle += 4)
                          PostMessageW(serverWindow, win32::Win32LoopbackServer::kSocketMessage,
                                       handle, FD_CLOSE);
                  });
                  std::string answer = exchange("127.0.0.1", kPort, request, 4);
                  stale.join();
                  return answer;
              }).substr(0, 15),
              "HTTP/1.1 200 OK");
    EXPECT_EQ(heads.size(), 3u);
    // Another loopback address of this machine is not ours.
    EXPECT_EQ(whileServing([&] { return exchange("127.0.0.2", kPort, request); }), "refused");
    // An endless head is cut off.
    const std::string endless = "GET / HTTP/1.1\r\nX: " + std::string(20000, 'x');
    EXPECT_EQ(whileServing([&] { return exchange("127.0.0.1", kPort, endless); }).substr(0, 12),
              "HTTP/1.1 431");
    EXPECT_EQ(heads.size(), 3u);

    // A second server finds the port taken and takes the next one.
    win32::Win32LoopbackServer second;
    second.onRequest = [](const std::string&) { return std::string("HTTP/1.1 204 No\r\n\r\n"); };
    EXPECT_EQ(second.listen(kPort, 5), kPort + 1);
    EXPECT_EQ(whileServing([&] { return exchange("127.0.0.1", kPort + 1, request); }),
              "HTTP/1.1 204 No\r\n\r\n");
    win32::Win32LoopbackServer none;
    EXPECT_EQ(none.listen(kPort, 2), 0);

    server.close();
    EXPECT_EQ(whileServing([&] { return exchange("127.0.0.1", kPort, request); }), "refused");
}

HWND createTopWindow() {
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"SonorinPortalTestWindow";
        return RegisterClassExW(&windowClass) != 0;
    }();
    return registered ? CreateWindowExW(0, L"SonorinPortalTestWindow", L"stand-in pane test",
                                        WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                                        nullptr, GetModuleHandleW(nullptr), nullptr)
                      : nullptr;
}

HWND findChildOfClass(HWND parent, const wchar_t* className) {
    struct Search {
        const wchar_t* className;
        HWND found;
    } search{className, nullptr};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            wchar_t name[64] = {};
            GetClassNameW(child, name, 64);
            if (lstrcmpiW(name, s->className) == 0) {
                s->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class StandInPaneTest : public WinsockTest {
  protected:
    void SetUp() override {
        WinsockTest::SetUp();
        parent_ = createTopWindow();
        ASSERT_NE(parent_, nullptr);
        server_.onRequest = [this](const std::string& head) {
            const std::string line = head.substr(0, head.find("\r\n"));
            requests_.push_back(line);
            if (line.rfind("GET /page ", 0) == 0)
                return page(
                    "<HTML><head><title>测试页</title></head><BODY><h1>电台</h1><p>第二行</p>"
                    "<UL><LI><A HREF=/play?n=1>中文环球</A><li><a href='/play?n=2'>北京"
                    "<b>音乐</b></a><li><a href=\"/other\">别的页</a></ul></body></html>");
            if (line.rfind("GET /other ", 0) == 0)
                return page("<p>另一页 &amp; 资讯</p><a href=/page>回去</a>");
            if (line.rfind("GET /long ", 0) == 0)
                return page("<h1>电台</h1><p>正在收听：中文环球 · 正在播放 · " +
                            std::string(30, 'x') + " 一首名字很长很长很长很长很长很长的歌</p>");
            if (line.rfind("GET /big ", 0) == 0)  // the link comes after 9 MB
                return page("<!--" + std::string(9 << 20, 'x') + "--><a href=/play?n=9>末尾</a>");
            if (line.rfind("GET /endless-head ", 0) == 0) {
                std::string lines = "HTTP/1.1 200 OK\r\n";
                while (lines.size() < (1 << 20))
                    lines += "X-Padding: " + std::string(100, 'x') + "\r\n";
                return lines;
            }
            if (line.rfind("GET /play", 0) == 0)
                return std::string("HTTP/1.1 204 No Content\r\nConnection: close\r\n\r\n");
            return std::string("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
        };
        port_ = server_.listen(kPort + 10, 10);
        ASSERT_NE(port_, 0);
    }
    void TearDown() override {
        if (IsWindow(parent_))
            DestroyWindow(parent_);
        testing::pumpPending();
        WinsockTest::TearDown();
    }
    static std::string page(const std::string& html) {
        return "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
               std::to_string(html.size()) + "\r\n\r\n" + html;
    }
    std::string address(const char* path) {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    int count(const std::string& prefix) {
        int n = 0;
        for (const std::string& r : requests_)
            n += r.rfind(prefix, 0) == 0 ? 1 : 0;
        return n;
    }

    HWND parent_ = nullptr;
    win32::Win32LoopbackServer server_;
    int port_ = 0;
    std::vector<std::string> requests_;
};

int threadsOfThisProcess() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int n = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        n += entry.th32OwnerProcessID == GetCurrentProcessId() ? 1 : 0;
    CloseHandle(snapshot);
    return n;
}

// A page from an address written in digits, such as the portal's own, is fetched by the
// pane's own thread (a thread is about a MiB under Wine); only a host name needs one, for the
// resolver. A port nobody listens on is a page that cannot be opened.
TEST_F(StandInPaneTest, FetchesOnItsOwnThreadAndTellsAnUnreachablePage) {
    auto pane = createWebBrowserPane(parent_, RECT{0, 0, 600, 400});
    const int before = threadsOfThisProcess();
    int most = before;
    pane->navigate(address("/page"));
    ASSERT_TRUE(testing::pumpUntil(
        [&] {
            most = std::max(most, threadsOfThisProcess());
            return pane->linkCount() == 3;
        },
        5000));
    EXPECT_EQ(most, before);

    pane->navigate("http://localhost:" + std::to_string(port_) + "/other");
    ASSERT_TRUE(testing::pumpUntil([&] { return pane->linkCount() == 1; }, 5000));
    EXPECT_EQ(pane->documentText(), "另一页 & 资讯\n回去");

    int completes = 0;
    pane->onDownloadComplete = [&] { ++completes; };
    pane->navigate("http://127.0.0.1:" + std::to_string(port_ + 1) + "/page");
    ASSERT_TRUE(testing::pumpUntil([&] { return completes == 1; }, 5000));
    EXPECT_EQ(pane->linkCount(), 0);
    const HWND status = findChildOfClass(pane->hwnd(), L"Static");
    ASSERT_NE(status, nullptr);
    wchar_t text[128] = {};
    GetWindowTextW(status, text, 128);
    EXPECT_EQ(std::wstring(text).rfind(L"无法打开网页：", 0), 0u) << text;
}

TEST_F(StandInPaneTest, ReadsAWholeLargePageButNoEndlessHeader) {
    auto pane = createWebBrowserPane(parent_, RECT{0, 0, 600, 400});
    int completes = 0;
    pane->onDownloadComplete = [&] { ++completes; };
    pane->navigate(address("/big"));
    ASSERT_TRUE(testing::pumpUntil([&] { return completes == 1; }, 20000));
    ASSERT_EQ(pane->linkCount(), 1);
    EXPECT_EQ(pane->linkText(0), "末尾");
    pane->navigate(address("/endless-head"));
    ASSERT_TRUE(testing::pumpUntil([&] { return completes == 2; }, 10000));
    EXPECT_EQ(pane->linkCount(), 0);
    wchar_t text[128] = {};
    GetWindowTextW(findChildOfClass(pane->hwnd(), L"Static"), text, 128);
    EXPECT_EQ(std::wstring(text).rfind(L"无法打开网页：", 0), 0u) << text;
}

// A long status stays on its one line (cut off, whole in its window text and tool tip): the
// list under it does not move, and both stay inside what shows of the pane (its window,
// narrower than the pane, cuts it off).
TEST_F(StandInPaneTest, AStatusTooLongForItsLineKeepsTheListInPlace) {
    auto pane = createWebBrowserPane(parent_, RECT{0, 0, 1600, 400});
    pane->navigate(address("/other"));
    ASSERT_TRUE(testing::pumpUntil([&] { return pane->linkCount() == 1; }, 5000));
    RECT before{};
    GetWindowRect(findChildOfClass(pane->hwnd(), L"ListBox"), &before);
    pane->navigate(address("/long"));
    const HWND status = GetWindow(findChildOfClass(pane->hwnd(), L"Static"), GW_HWNDNEXT);
    wchar_t text[256] = {};
    ASSERT_TRUE(testing::pumpUntil([&] { return GetWindowTextW(status, text, 256) > 60; }, 5000));
    RECT shown{}, list{};
    GetWindowRect(status, &shown);
    GetWindowRect(findChildOfClass(pane->hwnd(), L"ListBox"), &list);
    EXPECT_EQ(list.top, before.top);
    EXPECT_GE(list.top, shown.bottom);
    RECT window{};
    GetClientRect(parent_, &window);
    MapWindowPoints(parent_, nullptr, reinterpret_cast<POINT*>(&window), 2);
    EXPECT_LE(shown.right, window.right);
    EXPECT_LE(list.right, window.right) << "the list's scroll bar is out of view";
}

TEST_F(StandInPaneTest, ListsTheLinksOfAServedPageAndClicksThem) {
    auto pane = createWebBrowserPane(parent_, RECT{0, 0, 600, 400});
    std::vector<std::string> events;
    pane->onDownloadBegin = [&] { events.push_back("begin"); };
    pane->onDownloadComplete = [&] { events.push_back("complete"); };
    pane->navigate(address("/page"));
    ASSERT_TRUE(testing::pumpUntil([&] { return pane->linkCount() == 3; }, 5000))
        << "the page never showed; stand-in: " << pane->usesStandIn();
    EXPECT_TRUE(pane->usesStandIn());
    EXPECT_FALSE(pane->hasControl());
    EXPECT_EQ(pane->linkText(0), "中文环球");
    EXPECT_EQ(pane->linkText(1), "北京音乐");
    EXPECT_EQ(pane->linkText(2), "别的页");
    EXPECT_EQ(pane->linkText(3), "");
    EXPECT_EQ(pane->documentText(), "电台\n第二行\n中文环球\n北京音乐\n别的页");
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events.back(), "complete");

    // The user sees the links in a list box, by their texts, under the page's heading.
    const HWND list = findChildOfClass(pane->hwnd(), L"ListBox");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 4);
    wchar_t heading[32] = {}, first[32] = {};
    SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(heading));
    SendMessageW(list, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(first));
    EXPECT_STREQ(heading, L"电台");
    EXPECT_STREQ(first, L"中文环球");

    // Two clicks in a row reach the server in their order; the page stays (204) and is read
    // again afterwards.
    events.clear();
    pane->clickLink(1);
    pane->clickLink(0);
    ASSERT_TRUE(
        testing::pumpUntil([&] { return count("GET /page ") >= 2 && events.size() >= 6; }, 5000));
    std::vector<std::string> plays;
    for (const std::string& r : requests_)
        if (r.rfind("GET /play", 0) == 0)
            plays.push_back(r);
    EXPECT_EQ(plays,
              (std::vector<std::string>{"GET /play?n=2 HTTP/1.0", "GET /play?n=1 HTTP/1.0"}));
    EXPECT_EQ(pane->linkCount(), 3);

    // The user's click on an entry of the list clicks that link; Enter on the selected one too.
    // The heading is no link.
    const auto clickEntry = [&](int entry) {
        RECT item{};
        SendMessageW(list, LB_GETITEMRECT, entry, reinterpret_cast<LPARAM>(&item));
        const LPARAM inside =
            MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, inside);
        SendMessageW(list, WM_LBUTTONUP, 0, inside);
        return item;
    };
    clickEntry(0);
    const RECT item = clickEntry(1);
    ASSERT_TRUE(testing::pumpUntil([&] { return count("GET /play?n=1 ") == 2; }, 5000));
    SendMessageW(list, LB_SETCURSEL, 2, 0);
    SendMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(testing::pumpUntil([&] { return count("GET /play?n=2 ") == 2; }, 5000));
    // Below the last entry there is nothing to click.
    SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(item.left + 5, item.bottom * 3 + 40));
    testing::pumpFor(200);
    EXPECT_EQ(count("GET /play"), 4);

    // A link to another page shows that page.
    pane->clickLink(2);
    ASSERT_TRUE(testing::pumpUntil([&] { return pane->linkCount() == 1; }, 5000));
    EXPECT_EQ(pane->documentText(), "另一页 & 资讯\n回去");
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 1);

    // A page that is not there leaves an empty pane; stop drops what is under way.
    pane->navigate(address("/missing"));
    ASSERT_TRUE(testing::pumpUntil([&] { return pane->linkCount() == 0; }, 5000));
    EXPECT_EQ(pane->documentText(), "");
    events.clear();
    pane->navigate(address("/page"));
    pane->stop();
    EXPECT_EQ(events, (std::vector<std::string>{"begin", "complete"}));
    testing::pumpFor(300);
    EXPECT_EQ(pane->linkCount(), 0);
    EXPECT_EQ(events.size(), 2u);
}

}  // namespace
}  // namespace sonorin
