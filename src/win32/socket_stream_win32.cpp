#include "win32/socket_stream_win32.h"

#include <ws2tcpip.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <vector>

#include "radio/player/answer_head.h"
#include "win32/system_thread_win32.h"

namespace sonorin::win32 {

namespace {

using Flag = std::shared_ptr<std::atomic<bool>>;

// A wait for one address to accept; the next address (if any) gets the rest of the deadline.
constexpr ULONGLONG kConnectMs = 8000;
// Slices of a wait, so that an abort is seen promptly.
constexpr ULONGLONG kSliceMs = 50;
// The kernel's receive buffer: seconds of audio at any rate a station sends, held while the
// worker waits on the sound output.
constexpr int kReceiveBuffer = 256 * 1024;

struct Address {
    sockaddr_storage bytes = {};
    int size = 0;
};

// A look-up's result, shared with the thread that asks the resolver: getaddrinfo cannot be
// interrupted, and a stop must not wait for it.
struct Lookup {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::vector<Address> addresses;
};

std::vector<Address> resolve(const std::string& host, int port, ULONGLONG deadline,
                             const std::atomic<bool>& aborted) {
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    const std::string service = std::to_string(port);
    auto collect = [](addrinfo* found) {
        std::vector<Address> addresses;
        for (addrinfo* a = found; a; a = a->ai_next) {
            if (a->ai_addrlen > sizeof(sockaddr_storage))
                continue;
            Address address;
            std::memcpy(&address.bytes, a->ai_addr, a->ai_addrlen);
            address.size = int(a->ai_addrlen);
            addresses.push_back(address);
        }
        return addresses;
    };
    // An address given as numbers needs no resolver and no thread.
    addrinfo numericHints = hints;
    numericHints.ai_flags = AI_NUMERICHOST;
    std::string bare = host;
    if (bare.size() > 2 && bare.front() == '[' && bare.back() == ']')
        bare = bare.substr(1, bare.size() - 2);
    addrinfo* found = nullptr;
    if (getaddrinfo(bare.c_str(), service.c_str(), &numericHints, &found) == 0) {
        std::vector<Address> addresses = collect(found);
        freeaddrinfo(found);
        return addresses;
    }
    auto lookup = std::make_shared<Lookup>();
    const bool started = runDetached([lookup, bare, service, hints, collect] {
        addrinfo* answer = nullptr;
        std::vector<Address> addresses;
        if (getaddrinfo(bare.c_str(), service.c_str(), &hints, &answer) == 0) {
            addresses = collect(answer);
            freeaddrinfo(answer);
        }
        std::lock_guard lock(lookup->mutex);
        lookup->addresses = std::move(addresses);
        lookup->finished = true;
        lookup->done.notify_all();
    });
    if (!started)
        return {};
    std::unique_lock lock(lookup->mutex);
    while (!lookup->finished && !aborted && GetTickCount64() < deadline)
        lookup->done.wait_for(lock, std::chrono::milliseconds(kSliceMs));
    return lookup->finished ? lookup->addresses : std::vector<Address>{};
}

enum class Ready { Yes, No, Failed };

// Waits until `socket` can be read (or written, or has failed to connect), in short slices.
Ready waitFor(SOCKET socket, bool write, ULONGLONG until, const std::atomic<bool>& aborted) {
    while (true) {
        if (aborted)
            return Ready::Failed;
        const ULONGLONG now = GetTickCount64();
        if (now >= until)
            return Ready::No;
        const ULONGLONG slice = std::min(kSliceMs, until - now);
        fd_set wanted;
        fd_set failed;
        FD_ZERO(&wanted);
        FD_ZERO(&failed);
        FD_SET(socket, &wanted);
        FD_SET(socket, &failed);
        timeval wait = {0, long(slice * 1000)};
        const int n =
            select(0, write ? nullptr : &wanted, write ? &wanted : nullptr, &failed, &wait);
        if (n == SOCKET_ERROR || FD_ISSET(socket, &failed))
            return Ready::Failed;
        if (n > 0)
            return Ready::Yes;
    }
}

SOCKET connectTo(const Address& address, ULONGLONG deadline, const std::atomic<bool>& aborted) {
    const SOCKET s = socket(address.bytes.ss_family, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return s;
    u_long nonBlocking = 1;
    int buffer = kReceiveBuffer;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    // A smaller buffer than asked for only means less slack; not worth failing over.
    setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&buffer), sizeof buffer);
    const bool pending =
        connect(s, reinterpret_cast<const sockaddr*>(&address.bytes), address.size) == 0 ||
        WSAGetLastError() == WSAEWOULDBLOCK;
    int error = 0;
    int size = sizeof error;
    if (pending &&
        waitFor(s, true, std::min(deadline, GetTickCount64() + kConnectMs), aborted) ==
            Ready::Yes &&
        getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) == 0 &&
        error == 0) {
        return s;
    }
    closesocket(s);
    return INVALID_SOCKET;
}

bool sendAll(SOCKET s, const std::string& bytes, ULONGLONG deadline,
             const std::atomic<bool>& aborted) {
    for (std::size_t at = 0; at < bytes.size();) {
        const int sent = send(s, bytes.data() + at, int(bytes.size() - at), 0);
        if (sent > 0) {
            at += std::size_t(sent);
        } else if (WSAGetLastError() != WSAEWOULDBLOCK ||
                   waitFor(s, true, deadline, aborted) != Ready::Yes) {
            return false;
        }
    }
    return true;
}

class SocketConnection : public radio::Connection {
  public:
    SocketConnection(SOCKET socket, std::string early, radio::HttpAnswer answer, Flag aborted)
        : socket_(socket),
          early_(std::move(early)),
          answer_(std::move(answer)),
          aborted_(std::move(aborted)) {}
    ~SocketConnection() override { closesocket(socket_); }
    SocketConnection(const SocketConnection&) = delete;
    SocketConnection& operator=(const SocketConnection&) = delete;

    const radio::HttpAnswer& answer() const override { return answer_; }

    radio::ReadResult read(std::uint8_t* into, std::size_t capacity, std::size_t& got) override {
        got = 0;
        if (capacity == 0)
            return radio::ReadResult::Wait;
        if (earlyAt_ < early_.size()) {
            got = std::min(capacity, early_.size() - earlyAt_);
            std::memcpy(into, early_.data() + earlyAt_, got);
            earlyAt_ += got;
            return radio::ReadResult::Data;
        }
        switch (waitFor(socket_, false, GetTickCount64() + 250, *aborted_)) {
            case Ready::No:
                return radio::ReadResult::Wait;
            case Ready::Failed:
                // An abort: the session sees its own stop flag and ends.
                return *aborted_ ? radio::ReadResult::Wait : radio::ReadResult::Error;
            case Ready::Yes:
                break;
        }
        const int n = recv(socket_, reinterpret_cast<char*>(into),
                           int(std::min<std::size_t>(capacity, 1 << 20)), 0);
        if (n > 0) {
            got = std::size_t(n);
            return radio::ReadResult::Data;
        }
        if (n == 0)
            return radio::ReadResult::End;
        return WSAGetLastError() == WSAEWOULDBLOCK ? radio::ReadResult::Wait
                                                   : radio::ReadResult::Error;
    }

  private:
    SOCKET socket_;
    std::string early_;  // body bytes that came with the head
    std::size_t earlyAt_ = 0;
    radio::HttpAnswer answer_;
    Flag aborted_;
};

}  // namespace

bool winsockStarted() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

SocketHop openSocketHop(const std::string& address, const radio::HttpUrl& url, ULONGLONG deadline,
                        Flag aborted) {
    SocketHop hop;
    if (!winsockStarted())
        return hop;
    SOCKET s = INVALID_SOCKET;
    for (const Address& each : resolve(url.host, url.port, deadline, *aborted)) {
        s = connectTo(each, deadline, *aborted);
        if (s != INVALID_SOCKET || *aborted || GetTickCount64() >= deadline)
            break;
    }
    if (s == INVALID_SOCKET)
        return hop;
    std::string received;
    std::size_t headSize = 0;
    if (sendAll(s, radio::streamRequest(url), deadline, *aborted)) {
        char buffer[4096];
        while (received.size() <= radio::kMaxAnswerHead &&
               waitFor(s, false, deadline, *aborted) == Ready::Yes) {
            const int n = recv(s, buffer, sizeof buffer, 0);
            if (n <= 0 && !(n < 0 && WSAGetLastError() == WSAEWOULDBLOCK))
                break;
            if (n > 0)
                received.append(buffer, std::size_t(n));
            if ((headSize = radio::answerHeadSize(received)) != 0)
                break;
        }
    }
    const std::optional<radio::AnswerHead> head =
        headSize == 0 || headSize > radio::kMaxAnswerHead
            ? std::nullopt
            : radio::parseAnswerHead(std::string_view(received).substr(0, headSize));
    if (!head) {
        closesocket(s);
        return hop;
    }
    if (radio::isRedirect(head->answer.status)) {
        closesocket(s);
        hop.status = head->answer.status;
        hop.location = head->location;
        return hop;
    }
    radio::HttpAnswer answer = head->answer;
    answer.finalUrl = address;
    hop.connection = std::make_unique<SocketConnection>(s, received.substr(headSize),
                                                        std::move(answer), std::move(aborted));
    return hop;
}

}  // namespace sonorin::win32
