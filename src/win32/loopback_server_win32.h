// The portal's web server on Windows: winsock sockets bound to 127.0.0.1, driven by window
// messages (WSAAsyncSelect) on the user-interface thread, so that requests reach the program
// there without threads or locks.
#pragma once

#include <windows.h>
#include <winsock2.h>

#include <map>
#include <string>

#include "services/loopback_server.h"

namespace sonorin::win32 {

class Win32LoopbackServer : public LoopbackServer {
  public:
    Win32LoopbackServer();
    ~Win32LoopbackServer() override;
    Win32LoopbackServer(const Win32LoopbackServer&) = delete;
    Win32LoopbackServer& operator=(const Win32LoopbackServer&) = delete;

    int listen(int port, int attempts) override;
    void close() override;

    // What Winsock posts to the server's window about its sockets.
    static constexpr UINT kSocketMessage = WM_APP + 17;

  private:
    struct Connection {
        std::string received;
        std::string reply;
        std::size_t sent = 0;
        bool answered = false;
        ULONGLONG opened = 0;
    };

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void onSocket(SOCKET socket, WORD event, WORD error);
    void accept();
    void receive(SOCKET socket);
    void send(SOCKET socket);
    void drop(SOCKET socket);
    void dropStale();

    bool winsock_ = false;
    HWND window_ = nullptr;
    SOCKET listener_ = INVALID_SOCKET;
    std::map<SOCKET, Connection> connections_;
};

}  // namespace sonorin::win32
