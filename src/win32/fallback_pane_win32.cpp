#include "win32/fallback_pane_win32.h"

#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <commctrl.h>

#include <cstring>
#include <functional>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "win32/wide.h"

namespace sonorin::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"SonorinPagePane";
constexpr UINT kFetched = WM_APP + 41;
constexpr UINT kResolved = WM_APP + 43;
// Each connection's events come with a message of their own: a closed socket's events may
// still be queued when the next socket, often with the same handle, is made.
constexpr UINT kFirstSocketEvent = WM_APP + 100;
constexpr UINT kSocketEvents = 64;
constexpr UINT_PTR kSilenceTimer = 1;
constexpr int kStatusHeight = 44;
constexpr int kMaxRedirects = 5;
constexpr std::size_t kMaxBody = 8 << 20;
constexpr UINT kTimeoutMs = 15000;

struct Address {
    sockaddr_storage address{};
    int length = 0;
};

std::vector<Address> addressesOf(const ADDRINFOW* list) {
    std::vector<Address> out;
    for (const ADDRINFOW* a = list; a; a = a->ai_next) {
        if (a->ai_addrlen > sizeof(sockaddr_storage))
            continue;
        Address one;
        std::memcpy(&one.address, a->ai_addr, a->ai_addrlen);
        one.length = static_cast<int>(a->ai_addrlen);
        out.push_back(one);
    }
    return out;
}

// `numericOnly`: an address written as digits is read without asking any name server, so
// without blocking; a name needs the resolver, which may block for seconds.
std::optional<std::vector<Address>> lookUp(const radio::HttpUrl& url, bool numericOnly) {
    ADDRINFOW hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    hints.ai_flags = numericOnly ? AI_NUMERICHOST : 0;
    ADDRINFOW* found = nullptr;
    if (GetAddrInfoW(wide(url.host).c_str(), std::to_wstring(url.port).c_str(), &hints, &found) !=
        0)
        return std::nullopt;
    std::vector<Address> out = addressesOf(found);
    FreeAddrInfoW(found);
    return out;
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

// The fetch under way: one GET over a fresh connection per hop, following redirects.
struct FallbackPane::Fetch {
    std::unique_ptr<Result> result;
    int hop = 0;
    unsigned lookup = 0;  // the name look-up this fetch waits for, if any
    std::vector<Address> addresses;
    std::size_t nextAddress = 0;
    SOCKET socket = INVALID_SOCKET;
    bool connected = false;
    std::string request;
    std::size_t sent = 0;
    std::string answer;
};

// What a look-up thread found for a name, posted back with kResolved.
struct FallbackPane::Lookup {
    unsigned serial = 0;
    std::vector<Address> addresses;  // none when the name is unknown
};

FallbackPane::FallbackPane(HWND parent, RECT bounds, Browser& owner) : owner_(owner) {
    WSADATA data;
    winsock_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
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
}

FallbackPane::~FallbackPane() {
    jobs_.clear();
    closeConnection();
    fetch_.reset();
    if (window_ && IsWindow(window_)) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    // A look-up still on its way finds no window and drops its answer; results posted and
    // not yet read are lost with the window: a few small blocks at most.
    if (font_)
        DeleteObject(font_);
    if (winsock_)
        WSACleanup();
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
    if (message == kResolved) {
        std::unique_ptr<Lookup> lookup(reinterpret_cast<Lookup*>(lParam));
        if (pane)
            pane->resolved(*lookup);
        return 0;
    }
    if (message >= kFirstSocketEvent && message < kFirstSocketEvent + kSocketEvents) {
        if (pane)
            pane->socketEvent(message, static_cast<SOCKET>(wParam), WSAGETSELECTEVENT(lParam),
                              WSAGETSELECTERROR(lParam));
        return 0;
    }
    if (pane) {
        switch (message) {
            case WM_TIMER:
                if (wParam == kSilenceTimer) {
                    pane->silence();
                    return 0;
                }
                break;
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
    jobs_.push_back({generation_, kind, url});
    ++outstanding_;
    fire(true);
    startNext();
}

// --- fetching, on this thread ------------------------------------------------------------
// The sockets tell the pane's window what happened (WSAAsyncSelect), so the thread that shows
// the page also fetches it, and the program's own portal on the loopback address — served by
// this very thread — answers in between. Only a host name needs a thread, for the resolver.

void FallbackPane::startNext() {
    if (fetch_ || jobs_.empty() || !window_)
        return;
    const Job job = jobs_.front();
    jobs_.pop_front();
    fetch_ = std::make_unique<Fetch>();
    fetch_->result = std::make_unique<Result>();
    fetch_->result->generation = job.generation;
    fetch_->result->kind = job.kind;
    fetch_->result->url = job.url;
    beginHop();
}

void FallbackPane::beginHop() {
    Fetch& f = *fetch_;
    const radio::HttpUrl& url = f.result->url;
    f.request = "GET " + url.target + " HTTP/1.0\r\nHost: " + url.hostHeader() +
                "\r\nUser-Agent: Sonorin\r\nAccept: text/html, */*\r\n"
                "Accept-Language: zh-CN\r\nConnection: close\r\n\r\n";
    f.addresses.clear();
    f.nextAddress = 0;
    if (!winsock_) {
        completeHop(std::nullopt);
        return;
    }
    if (auto numeric = lookUp(url, true)) {
        f.addresses = std::move(*numeric);
        connectNext();
        return;
    }
    f.lookup = ++lookups_;
    std::thread([window = window_, url, serial = f.lookup] {
        auto lookup = std::make_unique<Lookup>();
        lookup->serial = serial;
        if (auto found = lookUp(url, false))
            lookup->addresses = std::move(*found);
        // The pane may be gone by now; then the answer goes with nobody to read it.
        if (PostMessageW(window, kResolved, 0, reinterpret_cast<LPARAM>(lookup.get())))
            lookup.release();
    }).detach();
}

void FallbackPane::resolved(const Lookup& lookup) {
    if (!fetch_ || fetch_->lookup != lookup.serial)
        return;
    fetch_->lookup = 0;
    fetch_->addresses = lookup.addresses;
    connectNext();
}

void FallbackPane::connectNext() {
    Fetch& f = *fetch_;
    closeConnection();
    while (f.nextAddress < f.addresses.size()) {
        const Address& a = f.addresses[f.nextAddress++];
        const SOCKET s = socket(a.address.ss_family, SOCK_STREAM, IPPROTO_TCP);
        if (s == INVALID_SOCKET)
            continue;
        // Non-blocking from here on; every step of the exchange arrives as a window message.
        connection_ = (connection_ + 1) % kSocketEvents;
        if (WSAAsyncSelect(s, window_, kFirstSocketEvent + connection_,
                           FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE) != 0 ||
            (connect(s, reinterpret_cast<const sockaddr*>(&a.address), a.length) != 0 &&
             WSAGetLastError() != WSAEWOULDBLOCK)) {
            closesocket(s);
            continue;
        }
        f.socket = s;
        f.connected = false;
        f.sent = 0;
        f.answer.clear();
        SetTimer(window_, kSilenceTimer, kTimeoutMs, nullptr);
        return;
    }
    completeHop(std::nullopt);  // no address answered
}

void FallbackPane::socketEvent(UINT message, SOCKET s, int event, int error) {
    if (!fetch_ || s != fetch_->socket || message != kFirstSocketEvent + connection_)
        return;  // a socket closed already
    Fetch& f = *fetch_;
    SetTimer(window_, kSilenceTimer, kTimeoutMs, nullptr);  // it spoke: the silence starts again
    switch (event) {
        case FD_CONNECT:
            if (error != 0) {
                connectNext();
                return;
            }
            f.connected = true;
            sendSome();
            return;
        case FD_WRITE:
            sendSome();
            return;
        case FD_READ:
            if (!receive())
                endConnection();
            return;
        case FD_CLOSE:
            receive();
            endConnection();
            return;
        default:
            return;
    }
}

void FallbackPane::sendSome() {
    Fetch& f = *fetch_;
    while (f.connected && f.sent < f.request.size()) {
        const int put = send(f.socket, f.request.data() + f.sent,
                             static_cast<int>(f.request.size() - f.sent), 0);
        if (put > 0) {
            f.sent += static_cast<std::size_t>(put);
        } else {
            if (WSAGetLastError() != WSAEWOULDBLOCK)
                endConnection();  // FD_WRITE comes when there is room again
            return;
        }
    }
}

// Reads what has arrived. False when the answer is over: closed, failed or too long.
bool FallbackPane::receive() {
    Fetch& f = *fetch_;
    char buffer[8192];
    for (;;) {
        const int got = recv(f.socket, buffer, sizeof buffer, 0);
        if (got > 0) {
            f.answer.append(buffer, static_cast<std::size_t>(got));
            if (f.answer.size() > kMaxBody)
                return false;
            continue;
        }
        return got < 0 && WSAGetLastError() == WSAEWOULDBLOCK;
    }
}

// Nothing heard for the time-out: a connection that never came tries the next address; an
// answer that stopped coming is taken as far as it came.
void FallbackPane::silence() {
    KillTimer(window_, kSilenceTimer);
    if (!fetch_ || fetch_->socket == INVALID_SOCKET)
        return;
    if (!fetch_->connected)
        connectNext();
    else
        endConnection();
}

void FallbackPane::closeConnection() {
    if (!fetch_ || fetch_->socket == INVALID_SOCKET)
        return;
    closesocket(fetch_->socket);  // also ends its messages, but for those queued already
    fetch_->socket = INVALID_SOCKET;
    if (window_)
        KillTimer(window_, kSilenceTimer);
}

void FallbackPane::endConnection() {
    closeConnection();
    completeHop(radio::parseResponse(fetch_->answer));
}

void FallbackPane::completeHop(const std::optional<radio::ParsedResponse>& response) {
    Result& r = *fetch_->result;
    if (response) {
        r.reached = true;
        r.status = response->status;
        const auto location = radio::headerValue(response->headers, "Location");
        const auto next = response->status >= 300 && response->status < 400 && location
                              ? radio::resolveUrl(r.url, *location)
                              : std::nullopt;
        if (next) {
            r.url = *next;  // after the last redirect allowed: where it pointed, with no page
            if (fetch_->hop++ < kMaxRedirects) {
                beginHop();
                return;
            }
        } else {
            r.body = radio::bodyAsUtf8(*response);
        }
    }
    // The result is read from the message loop, as a browser's events come: whatever its
    // handlers start (another page, a stop) starts after this fetch is over.
    std::unique_ptr<Fetch> done = std::move(fetch_);
    if (window_ && PostMessageW(window_, kFetched, 0, reinterpret_cast<LPARAM>(done->result.get())))
        done->result.release();
    startNext();
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

// The fetch under way goes on (a click already sent must act on the server as it would in a
// browser); its answer is not shown.
void FallbackPane::stop() {
    jobs_.clear();
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
