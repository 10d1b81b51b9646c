#include "platform/win32/fallback_pane_win32.h"

#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <commctrl.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "platform/win32/wide.h"

namespace sonorin::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"SonorinPagePane";
constexpr UINT kFetched = WM_APP + 41;
constexpr int kStatusHeight = 44;
constexpr int kMaxRedirects = 5;
constexpr std::size_t kMaxBody = 8 << 20;
constexpr DWORD kTimeoutMs = 15000;

// One GET over a fresh connection: the whole answer as received, or nothing when the host
// cannot be reached.
std::optional<radio::ParsedResponse> fetchOnce(const radio::HttpUrl& url) {
    ADDRINFOW hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    ADDRINFOW* found = nullptr;
    if (GetAddrInfoW(wide(url.host).c_str(), std::to_wstring(url.port).c_str(), &hints, &found) !=
        0)
        return std::nullopt;
    SOCKET s = INVALID_SOCKET;
    for (ADDRINFOW* a = found; a && s == INVALID_SOCKET; a = a->ai_next) {
        s = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (s == INVALID_SOCKET)
            continue;
        setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&kTimeoutMs),
                   sizeof kTimeoutMs);
        setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&kTimeoutMs),
                   sizeof kTimeoutMs);
        if (connect(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) != 0) {
            closesocket(s);
            s = INVALID_SOCKET;
        }
    }
    FreeAddrInfoW(found);
    if (s == INVALID_SOCKET)
        return std::nullopt;
    const std::string request = "GET " + url.target + " HTTP/1.0\r\nHost: " + url.hostHeader() +
                                "\r\nUser-Agent: Sonorin\r\nAccept: text/html, */*\r\n"
                                "Accept-Language: zh-CN\r\nConnection: close\r\n\r\n";
    std::size_t sent = 0;
    while (sent < request.size()) {
        const int put = send(s, request.data() + sent, static_cast<int>(request.size() - sent), 0);
        if (put <= 0) {
            closesocket(s);
            return std::nullopt;
        }
        sent += static_cast<std::size_t>(put);
    }
    std::string answer;
    char buffer[8192];
    for (;;) {
        const int got = recv(s, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        answer.append(buffer, static_cast<std::size_t>(got));
        if (answer.size() > kMaxBody)
            break;
    }
    closesocket(s);
    return radio::parseResponse(answer);
}

}  // namespace

struct FallbackPane::Result {
    unsigned generation = 0;
    Kind kind = Kind::Page;
    radio::HttpUrl url;  // where the answer finally came from
    bool reached = false;
    int status = 0;
    std::string body;  // UTF-8
};

struct FallbackPane::Queue {
    struct Job {
        unsigned generation;
        Kind kind;
        radio::HttpUrl url;
    };
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Job> jobs;
    bool quit = false;
    bool working = false;  // a worker runs (set and cleared under the mutex)
    HWND window = nullptr;

    // A page is fetched now and then; a thread costs about a MiB under Wine, so the worker
    // ends after a while without jobs and the next job starts a new one.
    static constexpr auto kIdleEnd = std::chrono::seconds(3);

    // Called with the mutex held, after a job was added.
    static void startOrWake(const std::shared_ptr<Queue>& queue) {
        if (queue->working) {
            queue->wake.notify_one();
            return;
        }
        queue->working = true;
        std::thread(&Queue::work, queue).detach();
    }

    // The worker: takes the jobs in order, follows redirects, posts each result back.
    static void work(std::shared_ptr<Queue> queue) {
        WSADATA data;
        const bool winsock = WSAStartup(MAKEWORD(2, 2), &data) == 0;
        for (;;) {
            Job job;
            HWND window;
            {
                std::unique_lock<std::mutex> lock(queue->mutex);
                const bool any = queue->wake.wait_for(
                    lock, kIdleEnd, [&] { return queue->quit || !queue->jobs.empty(); });
                if (!any || queue->quit) {
                    queue->working = false;
                    break;
                }
                job = queue->jobs.front();
                queue->jobs.pop_front();
                window = queue->window;
            }
            auto result = std::make_unique<Result>();
            result->generation = job.generation;
            result->kind = job.kind;
            result->url = job.url;
            for (int hop = 0; winsock && hop <= kMaxRedirects; ++hop) {
                const auto response = fetchOnce(result->url);
                if (!response)
                    break;
                result->reached = true;
                result->status = response->status;
                const auto location = radio::headerValue(response->headers, "Location");
                if (response->status >= 300 && response->status < 400 && location) {
                    if (const auto next = radio::resolveUrl(result->url, *location)) {
                        result->url = *next;
                        continue;
                    }
                }
                result->body = radio::bodyAsUtf8(*response);
                break;
            }
            // The pane may be gone by now; then the result goes with nobody to read it.
            if (PostMessageW(window, kFetched, 0, reinterpret_cast<LPARAM>(result.get())))
                result.release();
        }
        if (winsock)
            WSACleanup();
    }
};

FallbackPane::FallbackPane(HWND parent, RECT bounds, Browser& owner)
    : owner_(owner), queue_(std::make_shared<Queue>()) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (!GetClassInfoExW(instance, kWindowClass, &windowClass)) {
        windowClass.lpfnWndProc = &FallbackPane::windowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = kWindowClass;
        RegisterClassExW(&windowClass);
    }
    window_ = CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                              bounds.left, bounds.top, bounds.right - bounds.left,
                              bounds.bottom - bounds.top, parent, nullptr, instance, this);
    if (!window_)
        return;
    HDC screen = GetDC(window_);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen)
        ReleaseDC(window_, screen);
    font_ = CreateFontW(-MulDiv(10, dpi > 0 ? dpi : 96, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                        FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                        DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Microsoft YaHei");
    status_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0,
                              0, 0, 0, window_, nullptr, instance, nullptr);
    list_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                            WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_TABSTOP | LBS_NOTIFY |
                                LBS_NOINTEGRALHEIGHT | LBS_MULTICOLUMN,
                            0, 0, 0, 0, window_, nullptr, instance, nullptr);
    for (HWND child : {status_, list_})
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    SendMessageW(list_, LB_SETCOLUMNWIDTH, MulDiv(150, dpi > 0 ? dpi : 96, 96), 0);
    SetWindowSubclass(list_, &FallbackPane::listProc, 1, reinterpret_cast<DWORD_PTR>(this));
    layout();
    queue_->window = window_;
}

FallbackPane::~FallbackPane() {
    {
        std::lock_guard<std::mutex> lock(queue_->mutex);
        queue_->quit = true;
        queue_->jobs.clear();
        queue_->window = nullptr;
    }
    queue_->wake.notify_all();
    if (window_ && IsWindow(window_)) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    // Results still on their way are lost with the window: a few small blocks at most.
    if (font_)
        DeleteObject(font_);
}

LRESULT CALLBACK FallbackPane::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* pane = reinterpret_cast<FallbackPane*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == kFetched) {
        std::unique_ptr<Result> result(reinterpret_cast<Result*>(lParam));
        if (pane)
            pane->finished(std::move(result));
        return 0;
    }
    if (pane) {
        switch (message) {
            case WM_SIZE:
                pane->layout();
                return 0;
            case WM_CTLCOLORSTATIC:
                SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
            case WM_DESTROY:
                SetWindowLongPtrW(window, GWLP_USERDATA, 0);
                pane->window_ = nullptr;
                break;
            default:
                break;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The list box's own messages: a click on an entry (the button coming up over it, as a link
// reacts) or Enter on the selected one is a click on that link. Moving through the list with
// the mouse held down or with the arrow keys only selects, and the second click of a double
// click does not click again.
LRESULT CALLBACK FallbackPane::listProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR, DWORD_PTR data) {
    auto* pane = reinterpret_cast<FallbackPane*>(data);
    switch (message) {
        case WM_LBUTTONDBLCLK:
            pane->doubleClicked_ = true;
            break;
        case WM_LBUTTONUP: {
            const LRESULT result = DefSubclassProc(list, message, wParam, lParam);
            const LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, lParam);
            if (!std::exchange(pane->doubleClicked_, false) && HIWORD(hit) == 0)
                pane->clickLink(LOWORD(hit));
            return result;
        }
        case WM_KEYDOWN:
            if (wParam == VK_RETURN) {
                const auto index = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
                if (index >= 0)
                    pane->clickLink(index);
                return 0;
            }
            break;
        case WM_GETDLGCODE:
            // Enter belongs to the list, not to a dialog around it.
            return DefSubclassProc(list, message, wParam, lParam) | DLGC_WANTALLKEYS;
        case WM_NCDESTROY:
            RemoveWindowSubclass(list, &FallbackPane::listProc, 1);
            break;
        default:
            break;
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

void FallbackPane::layout() {
    if (!window_)
        return;
    RECT area{};
    GetClientRect(window_, &area);
    MoveWindow(status_, 6, 4, area.right - 12, kStatusHeight - 6, TRUE);
    MoveWindow(list_, 0, kStatusHeight, area.right, area.bottom - kStatusHeight, TRUE);
}

void FallbackPane::setBounds(RECT bounds) {
    if (window_)
        MoveWindow(window_, bounds.left, bounds.top, bounds.right - bounds.left,
                   bounds.bottom - bounds.top, TRUE);
}

void FallbackPane::fire(bool begin) {
    // A copy: the handler may replace itself.
    const std::function<void()> handler =
        begin ? owner_.onDownloadBegin : owner_.onDownloadComplete;
    if (!handler)
        return;
    try {
        handler();
    } catch (...) {
        // A C++ exception must not unwind through the window procedure; the event is over.
    }
}

void FallbackPane::enqueue(Kind kind, const radio::HttpUrl& url) {
    {
        std::lock_guard<std::mutex> lock(queue_->mutex);
        queue_->jobs.push_back({generation_, kind, url});
        Queue::startOrWake(queue_);
    }
    ++outstanding_;
    fire(true);
}

void FallbackPane::navigate(const std::string& address) {
    stop();
    const auto url = radio::parseHttpUrl(address);
    if (!url) {
        // Not a page this pane can fetch (about:blank, https, …): an empty pane.
        fire(true);
        showPage({}, radio::HttpUrl{});
        url_.reset();
        showStatus(address == "about:blank" ? "" : "无法打开网页：" + address);
        fire(false);
        return;
    }
    showStatus("正在打开 " + url->text() + " …");
    enqueue(Kind::Page, *url);
}

void FallbackPane::stop() {
    {
        std::lock_guard<std::mutex> lock(queue_->mutex);
        queue_->jobs.clear();
    }
    ++generation_;
    const int dropped = outstanding_;
    outstanding_ = 0;
    for (int i = 0; i < dropped; ++i)
        fire(false);
}

int FallbackPane::linkCount() const {
    return static_cast<int>(page_.links.size());
}

std::string FallbackPane::linkText(int index) const {
    return index >= 0 && index < linkCount() ? page_.links[index].text : std::string();
}

std::string FallbackPane::documentText() const {
    return page_.text;
}

void FallbackPane::clickLink(int index) {
    if (index < 0 || index >= linkCount() || !url_)
        return;
    // Links to other schemes (mailto:, javascript:, https:) lead nowhere in this pane.
    if (const auto target = radio::resolveUrl(*url_, page_.links[index].href))
        enqueue(Kind::Click, *target);
}

void FallbackPane::finished(std::unique_ptr<Result> result) {
    if (result->generation != generation_)
        return;  // stopped: its download-complete has fired already
    --outstanding_;
    const bool page =
        result->reached && result->status >= 200 && result->status < 300 && result->status != 204;
    if (page) {
        showPage(radio::readHtmlPage(result->body), result->url);
    } else if (result->kind == Kind::Click && result->reached && result->status == 204) {
        // The link acted without leaving the page: show the page as it is now.
        if (url_)
            enqueue(Kind::Reload, *url_);
    } else if (result->kind == Kind::Page) {
        showPage({}, result->url);
        url_.reset();
        showStatus("无法打开网页：" + result->url.text() +
                   (result->reached ? "（" + std::to_string(result->status) + "）" : ""));
    } else if (result->kind == Kind::Click) {
        showStatus("无法打开链接：" + result->url.text());
    }
    fire(false);
}

void FallbackPane::showPage(radio::HtmlPage page, const radio::HttpUrl& url) {
    page_ = std::move(page);
    url_ = url;
    if (list_) {
        SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
        SendMessageW(list_, LB_RESETCONTENT, 0, 0);
        for (const radio::HtmlLink& link : page_.links)
            SendMessageW(
                list_, LB_ADDSTRING, 0,
                reinterpret_cast<LPARAM>(wide(link.text.empty() ? link.href : link.text).c_str()));
        SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list_, nullptr, TRUE);
    }
    // The page's first two lines (on the station page: its heading and what plays now).
    std::string heading;
    std::size_t start = 0;
    for (int lines = 0; lines < 2 && start < page_.text.size(); ++lines) {
        std::size_t end = page_.text.find('\n', start);
        if (end == std::string::npos)
            end = page_.text.size();
        heading += (heading.empty() ? "" : "\r\n") + page_.text.substr(start, end - start);
        start = end + 1;
    }
    showStatus(heading.empty() ? page_.title : heading);
}

void FallbackPane::showStatus(const std::string& text) {
    if (status_)
        SetWindowTextW(status_, wide(text).c_str());
}

}  // namespace sonorin::win32
