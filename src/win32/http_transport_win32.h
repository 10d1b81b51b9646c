// Station streams over HTTP and HTTPS through WinINet, read on the player's worker thread.
// abort() may be called from any thread: it closes the internet session, which on Windows ends
// a connect or read that waits on the network (under Wine such a wait goes on until the server
// answers or closes; the worker is then left to end by itself).
#pragma once

#include <windows.h>

#include <wininet.h>

#include <memory>
#include <mutex>
#include <string>

#include "radio/player/session.h"

namespace sonorin::win32 {

class WinInetTransport : public radio::Transport {
  public:
    // `stallMs`: how long open() waits for a server's answer. WinINet's own receive timeout
    // is set to twice that, a safety net behind the session's stall rule (which reads its own
    // clock); not every stack honours it.
    explicit WinInetTransport(DWORD stallMs);
    ~WinInetTransport() override;
    std::unique_ptr<radio::Connection> open(const std::string& url) override;
    void abort();

  private:
    friend class WinInetConnection;
    // The session handle while it is usable; null after abort().
    HINTERNET session();

    std::mutex mutex_;
    HINTERNET session_ = nullptr;
    bool aborted_ = false;
    DWORD answerTimeoutMs_;
    DWORD receiveTimeoutMs_;
};

}  // namespace sonorin::win32
