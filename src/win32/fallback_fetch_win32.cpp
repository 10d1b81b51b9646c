#include "win32/fallback_fetch_win32.h"

#include <ws2tcpip.h>

#include <cstring>
#include <utility>
#include <vector>

#include "win32/system_thread_win32.h"
#include "win32/wide.h"

namespace sonorin::win32 {
namespace {

constexpr UINT kFetched = WM_APP + 41;
constexpr UINT kResolved = WM_APP + 43;
// Each connection's events come with a message of their own: a closed socket's events may
// still be queued when the next socket, often with the same handle, is made.
constexpr UINT kFirstSocketEvent = WM_APP + 100;
constexpr UINT kSocketEvents = 64;
constexpr UINT_PTR kSilenceTimer = 1;
constexpr UINT_PTR kOverdueTimer = 2;
constexpr int kMaxRedirects = 5;
// The program's own pages (the station page grows with the user's station list) are read up
// to a size no list reaches; pages from elsewhere to what a page needs.
constexpr std::size_t kMaxBody = 8 << 20;
constexpr std::size_t kMaxLocalBody = 512 << 20;
// An answer whose header lines run on past this is no page.
constexpr std::size_t kMaxHead = 64 << 10;
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
    std::vector<Address> out;
    try {
        out = addressesOf(found);
    } catch (...) {
        FreeAddrInfoW(found);
        throw;
    }
    FreeAddrInfoW(found);
    return out;
}

}  // namespace

// The fetch under way: one GET over a fresh connection per hop.
struct PageFetcher::Fetch {
    std::unique_ptr<Answer> answer;
    int hop = 0;
    unsigned lookup = 0;  // the name look-up this fetch waits for, if any
    std::vector<Address> addresses;
    std::size_t nextAddress = 0;
    SOCKET socket = INVALID_SOCKET;
    bool connected = false;
    std::string request;
    std::size_t sent = 0;
    std::string received;
    std::size_t headEnd = 0;  // where the header lines end in `received`, once seen
};

// What a look-up thread found for a name, posted back with kResolved.
struct PageFetcher::Lookup {
    unsigned serial = 0;
    std::vector<Address> addresses;  // none when the name is unknown
};

PageFetcher::PageFetcher(HWND window, AnswerHandler answered, UINT wholeAnswerMs)
    : window_(window), answered_(std::move(answered)), wholeAnswerMs_(wholeAnswerMs) {
    WSADATA data;
    winsock_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

// A look-up still on its way finds no window and drops its answer; answers posted and not yet
// read are lost with the window: a few small blocks at most.
PageFetcher::~PageFetcher() {
    requests_.clear();
    closeConnection();
    fetch_.reset();
    if (winsock_)
        WSACleanup();
}

void PageFetcher::windowGone() {
    window_ = nullptr;
}

bool PageFetcher::handle(PageFetcher* fetcher, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kFetched) {
        std::unique_ptr<Answer> answer(reinterpret_cast<Answer*>(lParam));
        if (fetcher && fetcher->answered_)
            fetcher->answered_(std::move(answer));
        return true;
    }
    if (message == kResolved) {
        const std::unique_ptr<Lookup> lookup(reinterpret_cast<Lookup*>(lParam));
        if (fetcher)
            fetcher->resolved(*lookup);
        return true;
    }
    if (message >= kFirstSocketEvent && message < kFirstSocketEvent + kSocketEvents) {
        if (fetcher)
            fetcher->socketEvent(message, static_cast<SOCKET>(wParam), WSAGETSELECTEVENT(lParam),
                                 WSAGETSELECTERROR(lParam));
        return true;
    }
    if (message == WM_TIMER && wParam == kSilenceTimer && fetcher) {
        fetcher->silence();
        return true;
    }
    if (message == WM_TIMER && wParam == kOverdueTimer && fetcher) {
        fetcher->overdue();
        return true;
    }
    return false;
}

void PageFetcher::add(Request request) {
    requests_.push_back(std::move(request));
}

void PageFetcher::startNext() {
    if (fetch_ || requests_.empty() || !window_)
        return;
    auto fetch = std::make_unique<Fetch>();
    fetch->answer = std::make_unique<Answer>();
    fetch->answer->request = requests_.front();
    requests_.pop_front();
    fetch_ = std::move(fetch);
    beginHop();
}

void PageFetcher::beginHop() {
    Fetch& f = *fetch_;
    const radio::HttpUrl& url = f.answer->request.url;
    f.request = "GET " + url.target + " HTTP/1.0\r\nHost: " + url.hostHeader() +
                "\r\nUser-Agent: Sonorin\r\nAccept: text/html, */*\r\n"
                "Accept-Language: zh-CN\r\nConnection: close\r\n\r\n";
    f.addresses.clear();
    f.nextAddress = 0;
    if (window_)
        SetTimer(window_, kOverdueTimer, wholeAnswerMs_, nullptr);
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
    bool started = false;
    try {
        auto lookup = std::make_shared<std::unique_ptr<Lookup>>(std::make_unique<Lookup>());
        (*lookup)->serial = f.lookup;
        started = runDetached([window = window_, url, lookup]() noexcept {
            try {
                if (auto found = lookUp(url, false))
                    (*lookup)->addresses = std::move(*found);
            } catch (...) {
                (*lookup)->addresses.clear();  // no memory for them: as if the name were unknown
            }
            // The pane may be gone by now; then the answer goes with nobody to read it.
            if (PostMessageW(window, kResolved, 0, reinterpret_cast<LPARAM>(lookup->get())))
                lookup->release();
        });
    } catch (...) {
    }
    if (!started) {
        // No thread to look the name up on: as if the name were unknown.
        f.lookup = 0;
        completeHop(std::nullopt);
    }
}

void PageFetcher::resolved(const Lookup& lookup) {
    if (!fetch_ || fetch_->lookup != lookup.serial)
        return;
    fetch_->lookup = 0;
    fetch_->addresses = lookup.addresses;
    connectNext();
}

void PageFetcher::connectNext() {
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
        f.received.clear();
        SetTimer(window_, kSilenceTimer, kTimeoutMs, nullptr);
        return;
    }
    completeHop(std::nullopt);  // no address answered
}

void PageFetcher::socketEvent(UINT message, SOCKET s, int event, int error) {
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

void PageFetcher::sendSome() {
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
bool PageFetcher::receive() {
    Fetch& f = *fetch_;
    char buffer[8192];
    for (;;) {
        const int got = recv(f.socket, buffer, sizeof buffer, 0);
        if (got > 0) {
            const std::size_t had = f.received.size();
            f.received.append(buffer, static_cast<std::size_t>(got));
            if (f.headEnd == 0) {
                const std::size_t from = had > 3 ? had - 3 : 0;
                const std::size_t lf = f.received.find("\n\n", from);
                const std::size_t crlf = f.received.find("\n\r\n", from);
                f.headEnd = std::min(lf, crlf) == std::string::npos ? 0 : std::min(lf, crlf) + 1;
                if (f.headEnd == 0 && f.received.size() > kMaxHead) {
                    f.received.clear();  // not an answer: nothing of it is taken
                    return false;
                }
            }
            const bool local = f.answer->request.url.host == "127.0.0.1";
            if (f.received.size() - f.headEnd > (local ? kMaxLocalBody : kMaxBody))
                return false;
            continue;
        }
        return got < 0 && WSAGetLastError() == WSAEWOULDBLOCK;
    }
}

// Nothing heard for the time-out: a connection that never came tries the next address; an
// answer that stopped coming is taken as far as it came.
void PageFetcher::silence() {
    KillTimer(window_, kSilenceTimer);
    if (!fetch_ || fetch_->socket == INVALID_SOCKET)
        return;
    if (!fetch_->connected)
        connectNext();
    else
        endConnection();
}

// The hop took too long: an answer on its way is taken as far as it came; one that never came
// is none (a look-up still on its way is dropped when it comes).
void PageFetcher::overdue() {
    KillTimer(window_, kOverdueTimer);
    if (!fetch_)
        return;
    if (fetch_->socket != INVALID_SOCKET && fetch_->connected) {
        endConnection();
        return;
    }
    closeConnection();
    fetch_->lookup = 0;
    completeHop(std::nullopt);
}

void PageFetcher::closeConnection() {
    if (!fetch_ || fetch_->socket == INVALID_SOCKET)
        return;
    closesocket(fetch_->socket);  // also ends its messages, but for those queued already
    fetch_->socket = INVALID_SOCKET;
    if (window_)
        KillTimer(window_, kSilenceTimer);
}

void PageFetcher::endConnection() {
    closeConnection();
    completeHop(radio::parseResponse(fetch_->received));
}

void PageFetcher::completeHop(const std::optional<radio::ParsedResponse>& response) {
    if (window_)
        KillTimer(window_, kOverdueTimer);
    Answer& a = *fetch_->answer;
    if (response) {
        a.reached = true;
        a.status = response->status;
        const auto location = radio::headerValue(response->headers, "Location");
        const auto next = response->status >= 300 && response->status < 400 && location
                              ? radio::resolveUrl(a.request.url, *location)
                              : std::nullopt;
        if (next) {
            // After the last redirect allowed: where it pointed, with no page.
            a.request.url = *next;
            if (fetch_->hop++ < kMaxRedirects) {
                beginHop();
                return;
            }
        } else {
            a.body = radio::bodyAsUtf8(*response);
        }
    }
    // Read from the message loop: see the header.
    std::unique_ptr<Fetch> done = std::move(fetch_);
    if (window_ && PostMessageW(window_, kFetched, 0, reinterpret_cast<LPARAM>(done->answer.get())))
        done->answer.release();
    startNext();
}

}  // namespace sonorin::win32
