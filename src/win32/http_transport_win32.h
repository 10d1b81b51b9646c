// Station streams over HTTP and HTTPS, read on the player's worker thread: http:// addresses on
// the program's own sockets (socket_stream_win32.h), https:// ones, and all of them when the
// user set a proxy, through WinINet. Redirects are followed here, from one kind to the other.
//
// Every blocking WinINet call runs on a helper thread of its own, and a handle is closed only
// when no thread is inside a call on it (the last thread that holds it closes it): closing a
// handle under another thread's call is not safe on every stack. abort() may be called from any
// thread; it makes every helper stop before its next network call, so after an abort no new
// connection, request or redirect is made. A call already waiting on the network ends by
// itself (the server answers, closes, or the receive timeout passes) and then lets go.
#pragma once

#include <windows.h>

#include <wininet.h>

#include <atomic>
#include <memory>
#include <string>

#include "radio/player/session.h"

namespace sonorin::win32 {

// One WinINet handle, closed by whoever lets go of it last. A request holds the handle it was
// made from, so a session outlives its requests.
class InternetHandle {
  public:
    InternetHandle(HINTERNET handle, std::shared_ptr<InternetHandle> parent)
        : handle_(handle), parent_(std::move(parent)) {}
    ~InternetHandle() { InternetCloseHandle(handle_); }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    HINTERNET get() const { return handle_; }

  private:
    HINTERNET handle_;
    std::shared_ptr<InternetHandle> parent_;
};

// Named for the library it began with; WinINet now carries https alone.
class WinInetTransport : public radio::Transport {
  public:
    // Redirects followed for one address; a longer chain cannot be reached.
    static constexpr int kMaxRedirects = 8;
    // Bytes a connection holds for the session before it stops reading: seconds of audio,
    // whatever rate the server sends at.
    static constexpr std::size_t kMaxQueued = 256 * 1024;

    // `stallMs`: how long open() waits for a server's answer, redirects included. WinINet's own
    // receive timeout is set to twice that, a safety net behind the session's stall rule (which
    // reads its own clock); not every stack honours it.
    explicit WinInetTransport(DWORD stallMs);
    ~WinInetTransport() override;
    std::unique_ptr<radio::Connection> open(const std::string& url) override;
    void abort();

  private:
    bool startSession();
    std::unique_ptr<radio::Connection> openWinInet(const std::string& url, ULONGLONG deadline,
                                                   int& status, std::string& location);

    std::shared_ptr<InternetHandle> session_;
    std::shared_ptr<std::atomic<bool>> aborted_ = std::make_shared<std::atomic<bool>>(false);
    DWORD answerTimeoutMs_;
    DWORD receiveTimeoutMs_;
    bool viaProxy_;  // every address through WinINet, which knows the user's proxy
};

}  // namespace sonorin::win32
