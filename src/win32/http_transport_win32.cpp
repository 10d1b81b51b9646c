#include "win32/http_transport_win32.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <thread>
#include <vector>

#include "radio/player/icy.h"

#include "win32/wide.h"

namespace sonorin::win32 {

namespace {

std::string queryText(HINTERNET request, DWORD what, const wchar_t* custom = nullptr) {
    wchar_t buffer[1024] = {};
    if (custom)
        lstrcpynW(buffer, custom, 1024);
    DWORD size = sizeof buffer - sizeof(wchar_t);
    DWORD index = 0;
    if (!HttpQueryInfoW(request, what, buffer, &size, &index))
        return {};
    return narrow(buffer);
}

}  // namespace

// What a connection's reader thread hands to the session. Shared, so the connection may be
// dropped while its reader still waits on the network.
struct ReceivedBytes {
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<std::vector<std::uint8_t>> chunks;
    std::size_t offset = 0;  // into the first chunk
    bool ended = false;
    bool broken = false;
};

// The blocking reads happen on a thread of their own: WinINet's receive timeout is not honoured
// everywhere (not under Wine), and the session must notice a stall by its own clock.
class WinInetConnection : public radio::Connection {
  public:
    WinInetConnection(WinInetTransport& owner, HINTERNET request, radio::HttpAnswer answer)
        : owner_(owner),
          request_(request),
          answer_(std::move(answer)),
          received_(std::make_shared<ReceivedBytes>()) {
        std::thread([request, received = received_] { readAll(request, *received); }).detach();
    }
    ~WinInetConnection() override {
        // Closing the request ends a read that waits on it. After an abort the session's
        // closing took the request with it.
        std::lock_guard lock(owner_.mutex_);
        if (!owner_.aborted_)
            InternetCloseHandle(request_);
    }
    const radio::HttpAnswer& answer() const override { return answer_; }
    radio::ReadResult read(std::uint8_t* into, std::size_t capacity, std::size_t& got) override {
        got = 0;
        ReceivedBytes& r = *received_;
        std::unique_lock lock(r.mutex);
        r.arrived.wait_for(lock, std::chrono::milliseconds(250),
                           [&] { return !r.chunks.empty() || r.ended || r.broken; });
        while (!r.chunks.empty() && got < capacity) {
            const std::vector<std::uint8_t>& chunk = r.chunks.front();
            const std::size_t n = std::min(capacity - got, chunk.size() - r.offset);
            std::memcpy(into + got, chunk.data() + r.offset, n);
            got += n;
            r.offset += n;
            if (r.offset == chunk.size()) {
                r.chunks.pop_front();
                r.offset = 0;
            }
        }
        if (got > 0)
            return radio::ReadResult::Data;
        if (r.broken)
            return radio::ReadResult::Error;
        return r.ended ? radio::ReadResult::End : radio::ReadResult::Wait;
    }

  private:
    static void readAll(HINTERNET request, ReceivedBytes& received) {
        std::vector<std::uint8_t> buffer(16 * 1024);
        while (true) {
            // A read waits until it has all it asked for, so ask only for what has arrived.
            DWORD available = 0;
            DWORD read = 0;
            const bool ok = InternetQueryDataAvailable(request, &available, 0, 0) &&
                            (available == 0 ||
                             InternetReadFile(request, buffer.data(),
                                              std::min(DWORD(buffer.size()), available), &read));
            std::lock_guard lock(received.mutex);
            if (!ok)
                received.broken = true;
            else if (read == 0)
                received.ended = true;
            else
                received.chunks.emplace_back(buffer.begin(), buffer.begin() + read);
            received.arrived.notify_all();
            if (!ok || read == 0)
                return;
        }
    }

    WinInetTransport& owner_;
    HINTERNET request_;
    radio::HttpAnswer answer_;
    std::shared_ptr<ReceivedBytes> received_;
};

WinInetTransport::WinInetTransport(DWORD stallMs)
    : answerTimeoutMs_(stallMs), receiveTimeoutMs_(2 * stallMs) {
    session_ = InternetOpenW(L"Sonorin/5.2", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (session_) {
        DWORD connect = 8000;
        InternetSetOptionW(session_, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
        InternetSetOptionW(session_, INTERNET_OPTION_RECEIVE_TIMEOUT, &receiveTimeoutMs_,
                           sizeof receiveTimeoutMs_);
    }
}

WinInetTransport::~WinInetTransport() {
    abort();
}

void WinInetTransport::abort() {
    std::lock_guard lock(mutex_);
    if (session_ && !aborted_)
        InternetCloseHandle(session_);
    aborted_ = true;
}

HINTERNET WinInetTransport::session() {
    std::lock_guard lock(mutex_);
    return aborted_ ? nullptr : session_;
}

std::unique_ptr<radio::Connection> WinInetTransport::open(const std::string& url) {
    HINTERNET session = this->session();
    if (!session)
        return nullptr;
    const DWORD flags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD |
                        INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI |
                        INTERNET_FLAG_PRAGMA_NOCACHE;
    // The connect and the wait for the answer's headers happen on a thread of their own, for
    // the same reason as the reads: a server that accepts and never answers must not keep the
    // session waiting longer than its stall limit, nor a stop waiting at all.
    struct PendingOpen {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        bool abandoned = false;
        HINTERNET request = nullptr;
    };
    auto pending = std::make_shared<PendingOpen>();
    std::thread([session, flags, address = wide(url), pending] {
        HINTERNET request =
            InternetOpenUrlW(session, address.c_str(), L"Icy-MetaData: 1\r\n", DWORD(-1), flags, 0);
        std::lock_guard lock(pending->mutex);
        if (pending->abandoned) {
            if (request)
                InternetCloseHandle(request);
            return;
        }
        pending->request = request;
        pending->finished = true;
        pending->done.notify_all();
    }).detach();
    HINTERNET request = nullptr;
    {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(answerTimeoutMs_);
        std::unique_lock lock(pending->mutex);
        while (!pending->finished) {
            if (!this->session() || std::chrono::steady_clock::now() >= deadline) {
                pending->abandoned = true;
                return nullptr;
            }
            pending->done.wait_for(lock, std::chrono::milliseconds(100));
        }
        request = pending->request;
    }
    if (!request)
        return nullptr;
    {
        std::lock_guard lock(mutex_);
        if (aborted_)
            return nullptr;  // closed with the session
    }
    // Set on the request as well: the session's value does not reach every stack's requests.
    InternetSetOptionW(request, INTERNET_OPTION_RECEIVE_TIMEOUT, &receiveTimeoutMs_,
                       sizeof receiveTimeoutMs_);
    radio::HttpAnswer answer;
    DWORD status = 0;
    DWORD size = sizeof status;
    if (HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                       nullptr)) {
        answer.status = int(status);
    }
    answer.contentType = queryText(request, HTTP_QUERY_CONTENT_TYPE);
    const std::string length = queryText(request, HTTP_QUERY_CONTENT_LENGTH);
    if (!length.empty())
        answer.contentLength = std::atoll(length.c_str());
    answer.icyMetaint = radio::parseMetaint(queryText(request, HTTP_QUERY_CUSTOM, L"icy-metaint"));
    wchar_t finalUrl[2048] = {};
    DWORD urlSize = sizeof finalUrl;
    if (InternetQueryOptionW(request, INTERNET_OPTION_URL, finalUrl, &urlSize))
        answer.finalUrl = narrow(finalUrl);
    return std::make_unique<WinInetConnection>(*this, request, std::move(answer));
}

}  // namespace sonorin::win32
