#include "win32/loopback_server_win32.h"

#include <windows.h>
#include <winsock2.h>

#include <vector>

#include "radio/http.h"

namespace sonorin::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"SonorinLoopbackServer";
// A request head larger than this is not one of our pages'.
constexpr std::size_t kMaxHead = 16 * 1024;
// Connections that neither finish their request nor close are dropped after this long.
constexpr ULONGLONG kStaleAfterMs = 15000;

const std::string kTooLarge =
    "HTTP/1.1 431 Request Header Fields Too Large\r\nContent-Length: 0\r\n"
    "Connection: close\r\n\r\n";

bool registerClass() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (GetClassInfoExW(GetModuleHandleW(nullptr), kWindowClass, &windowClass))
        return true;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    return RegisterClassExW(&windowClass) != 0;
}

}  // namespace

Win32LoopbackServer::Win32LoopbackServer() {
    WSADATA data;
    winsock_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    if (!registerClass())
        return;
    // A message-only window: it receives the socket notifications and nothing else.
    window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&windowProc));
    }
}

Win32LoopbackServer::~Win32LoopbackServer() {
    close();
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    if (winsock_)
        WSACleanup();
}

int Win32LoopbackServer::listen(int port, int attempts) {
    close();
    if (!winsock_ || !window_)
        return 0;
    for (int candidate = port; candidate < port + attempts && candidate <= 65535; ++candidate) {
        SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (s == INVALID_SOCKET)
            return 0;
        // No other program may bind the same port beside us and take our requests.
        BOOL exclusive = TRUE;
        setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
                   sizeof exclusive);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<u_short>(candidate));
        if (bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
            ::listen(s, SOMAXCONN) == 0 &&
            WSAAsyncSelect(s, window_, kSocketMessage, FD_ACCEPT) == 0) {
            listener_ = s;
            return candidate;
        }
        closesocket(s);
    }
    return 0;
}

void Win32LoopbackServer::close() {
    if (listener_ != INVALID_SOCKET) {
        closesocket(listener_);
        listener_ = INVALID_SOCKET;
    }
    for (auto& [s, connection] : connections_)
        closesocket(s);
    connections_.clear();
}

LRESULT CALLBACK Win32LoopbackServer::windowProc(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
    auto* server = reinterpret_cast<Win32LoopbackServer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (server && message == kSocketMessage) {
        server->onSocket(static_cast<SOCKET>(wParam), WSAGETSELECTEVENT(lParam),
                         WSAGETSELECTERROR(lParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void Win32LoopbackServer::onSocket(SOCKET s, WORD event, WORD error) {
    if (s == listener_) {
        if (event == FD_ACCEPT && error == 0)
            accept();
        return;
    }
    if (connections_.find(s) == connections_.end())
        return;  // a notification that was queued before the socket went
    if (error != 0 || event == FD_CLOSE) {
        // A notification can outlive its socket: one queued for a connection that has gone may
        // name a new connection that was given the same handle. A connection whose peer has
        // closed reads as ended; one that is open with nothing to read would block: keep it.
        char next = 0;
        if (error == 0 && recv(s, &next, 1, MSG_PEEK) == SOCKET_ERROR &&
            WSAGetLastError() == WSAEWOULDBLOCK)
            return;
        drop(s);
        return;
    }
    if (event == FD_READ)
        receive(s);
    else if (event == FD_WRITE)
        send(s);
}

void Win32LoopbackServer::accept() {
    dropStale();
    sockaddr_in peer{};
    int length = sizeof peer;
    SOCKET s = ::accept(listener_, reinterpret_cast<sockaddr*>(&peer), &length);
    if (s == INVALID_SOCKET)
        return;
    if (WSAAsyncSelect(s, window_, kSocketMessage, FD_READ | FD_WRITE | FD_CLOSE) != 0) {
        closesocket(s);
        return;
    }
    connections_[s].opened = GetTickCount64();
}

void Win32LoopbackServer::receive(SOCKET s) {
    char buffer[4096];
    const int got = recv(s, buffer, sizeof buffer, 0);
    if (got == SOCKET_ERROR) {
        if (WSAGetLastError() != WSAEWOULDBLOCK)
            drop(s);
        return;
    }
    if (got == 0) {
        drop(s);
        return;
    }
    Connection& c = connections_[s];
    if (c.answered)
        return;  // what follows the head (a body) is read and left unused
    c.received.append(buffer, static_cast<std::size_t>(got));
    const std::size_t head = radio::requestHeadSize(c.received);
    if (head == 0 && c.received.size() <= kMaxHead)
        return;
    c.answered = true;
    if (head == 0 || head > kMaxHead) {
        c.reply = kTooLarge;
    } else if (onRequest) {
        // The handler may run a nested message loop; the map entry is looked up again after.
        const std::function<std::string(const std::string&)> handler = onRequest;
        std::string reply = handler(c.received.substr(0, head));
        auto found = connections_.find(s);
        if (found == connections_.end())
            return;
        found->second.reply = std::move(reply);
    }
    send(s);
}

void Win32LoopbackServer::send(SOCKET s) {
    auto found = connections_.find(s);
    if (found == connections_.end() || !found->second.answered)
        return;
    Connection& c = found->second;
    while (c.sent < c.reply.size()) {
        const int put =
            ::send(s, c.reply.data() + c.sent, static_cast<int>(c.reply.size() - c.sent), 0);
        if (put == SOCKET_ERROR) {
            if (WSAGetLastError() != WSAEWOULDBLOCK)
                drop(s);
            return;  // FD_WRITE brings the rest
        }
        c.sent += static_cast<std::size_t>(put);
    }
    // The client closes once it has the whole answer; closing here first, with bytes of its
    // request still unread, would reset the connection and could lose the answer.
    shutdown(s, SD_SEND);
}

void Win32LoopbackServer::drop(SOCKET s) {
    closesocket(s);
    connections_.erase(s);
}

void Win32LoopbackServer::dropStale() {
    const ULONGLONG now = GetTickCount64();
    std::vector<SOCKET> stale;
    for (const auto& [s, c] : connections_) {
        if (now - c.opened > kStaleAfterMs)
            stale.push_back(s);
    }
    for (SOCKET s : stale)
        drop(s);
}

}  // namespace sonorin::win32
