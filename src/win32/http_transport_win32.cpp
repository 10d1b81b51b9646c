#include "win32/http_transport_win32.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "radio/player/icy.h"
#include "radio/player/playlist.h"
#include "radio/url.h"

#include "win32/wide.h"

namespace sonorin::win32 {

namespace {

using SharedHandle = std::shared_ptr<InternetHandle>;
using Flag = std::shared_ptr<std::atomic<bool>>;

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

bool isRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool isWebAddress(const std::string& url) {
    const std::string start = url.substr(0, 8);
    return start.starts_with("http://") || start.starts_with("https://");
}

// What an open's helper thread hands back. Shared, so the helper may outlive the wait.
struct PendingOpen {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool abandoned = false;
    SharedHandle request;
    radio::HttpAnswer answer;
};

// What a connection's reader thread hands to the session. Shared, so the connection may be
// dropped while its reader still waits on the network.
struct ReceivedBytes {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::vector<std::uint8_t>> chunks;
    std::size_t offset = 0;  // into the first chunk
    std::size_t queued = 0;
    bool ended = false;
    bool broken = false;
    bool abandoned = false;
};

// One hop after the other, each on this thread, so that an abort or an abandoned wait is seen
// before the next one goes out.
void openHops(SharedHandle session, std::string url, DWORD receiveTimeoutMs, Flag aborted,
              std::shared_ptr<PendingOpen> pending) {
    const DWORD flags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD |
                        INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI |
                        INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_AUTO_REDIRECT;
    auto giveUp = [&](SharedHandle request) {
        std::lock_guard lock(pending->mutex);
        if (pending->abandoned)
            return;  // `request` is closed here, on the thread that used it
        pending->request = std::move(request);
        pending->finished = true;
        pending->done.notify_all();
    };
    for (int hop = 0; hop <= WinInetTransport::kMaxRedirects; ++hop) {
        {
            std::lock_guard lock(pending->mutex);
            if (pending->abandoned || *aborted)
                return;
        }
        const HINTERNET handle = InternetOpenUrlW(session->get(), wide(url).c_str(),
                                                  L"Icy-MetaData: 1\r\n", DWORD(-1), flags, 0);
        if (!handle)
            return giveUp(nullptr);
        auto request = std::make_shared<InternetHandle>(handle, session);
        // Set on the request as well: the session's value does not reach every stack's requests.
        InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receiveTimeoutMs,
                           sizeof receiveTimeoutMs);
        radio::HttpAnswer answer;
        DWORD status = 0;
        DWORD size = sizeof status;
        if (HttpQueryInfoW(handle, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                           nullptr)) {
            answer.status = int(status);
        }
        if (isRedirect(answer.status)) {
            const std::string location = queryText(handle, HTTP_QUERY_LOCATION);
            std::string next = radio::resolveUrl(url, location);
            if (location.empty() || !isWebAddress(next))
                return giveUp(nullptr);
            url = std::move(next);
            continue;  // `request` closes here
        }
        answer.finalUrl = url;
        answer.contentType = queryText(handle, HTTP_QUERY_CONTENT_TYPE);
        const std::string length = queryText(handle, HTTP_QUERY_CONTENT_LENGTH);
        if (!length.empty())
            answer.contentLength = std::atoll(length.c_str());
        answer.icyMetaint =
            radio::parseMetaint(queryText(handle, HTTP_QUERY_CUSTOM, L"icy-metaint"));
        std::lock_guard lock(pending->mutex);
        if (pending->abandoned)
            return;
        pending->answer = std::move(answer);
        pending->request = std::move(request);
        pending->finished = true;
        pending->done.notify_all();
        return;
    }
    giveUp(nullptr);  // too many redirects
}

// Reads the body while the session keeps up with it; stops at an abort or when the connection
// is dropped, and only between calls.
void readBody(SharedHandle request, Flag aborted, std::shared_ptr<ReceivedBytes> received) {
    std::vector<std::uint8_t> buffer(16 * 1024);
    while (true) {
        {
            std::unique_lock lock(received->mutex);
            while (received->queued >= WinInetTransport::kMaxQueued && !received->abandoned &&
                   !*aborted) {
                received->changed.wait_for(lock, std::chrono::milliseconds(100));
            }
            if (received->abandoned || *aborted)
                return;
        }
        // A read waits until it has all it asked for, so ask only for what has arrived.
        DWORD available = 0;
        DWORD read = 0;
        const bool ok =
            InternetQueryDataAvailable(request->get(), &available, 0, 0) &&
            (available == 0 || InternetReadFile(request->get(), buffer.data(),
                                                std::min(DWORD(buffer.size()), available), &read));
        std::lock_guard lock(received->mutex);
        if (!ok) {
            received->broken = true;
        } else if (read == 0) {
            received->ended = true;
        } else {
            received->chunks.emplace_back(buffer.begin(), buffer.begin() + read);
            received->queued += read;
        }
        received->changed.notify_all();
        if (!ok || read == 0)
            return;
    }
}

}  // namespace

// The blocking reads happen on a thread of their own: WinINet's receive timeout is not honoured
// everywhere (not under Wine), and the session must notice a stall by its own clock.
class WinInetConnection : public radio::Connection {
  public:
    WinInetConnection(SharedHandle request, const Flag& aborted, radio::HttpAnswer answer)
        : answer_(std::move(answer)), received_(std::make_shared<ReceivedBytes>()) {
        std::thread(readBody, std::move(request), aborted, received_).detach();
    }
    ~WinInetConnection() override {
        std::lock_guard lock(received_->mutex);
        received_->abandoned = true;
        received_->changed.notify_all();
    }
    const radio::HttpAnswer& answer() const override { return answer_; }
    radio::ReadResult read(std::uint8_t* into, std::size_t capacity, std::size_t& got) override {
        got = 0;
        ReceivedBytes& r = *received_;
        std::unique_lock lock(r.mutex);
        r.changed.wait_for(lock, std::chrono::milliseconds(250),
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
        if (got > 0) {
            r.queued -= got;
            r.changed.notify_all();
            return radio::ReadResult::Data;
        }
        if (r.broken)
            return radio::ReadResult::Error;
        return r.ended ? radio::ReadResult::End : radio::ReadResult::Wait;
    }

  private:
    radio::HttpAnswer answer_;
    std::shared_ptr<ReceivedBytes> received_;
};

WinInetTransport::WinInetTransport(DWORD stallMs)
    : answerTimeoutMs_(stallMs), receiveTimeoutMs_(2 * stallMs) {
    const HINTERNET session =
        InternetOpenW(L"Sonorin/5.2", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (session) {
        session_ = std::make_shared<InternetHandle>(session, nullptr);
        DWORD connect = 8000;
        InternetSetOptionW(session, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
        InternetSetOptionW(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &receiveTimeoutMs_,
                           sizeof receiveTimeoutMs_);
    }
}

WinInetTransport::~WinInetTransport() {
    abort();
}

void WinInetTransport::abort() {
    *aborted_ = true;
}

std::unique_ptr<radio::Connection> WinInetTransport::open(const std::string& url) {
    if (!session_ || *aborted_)
        return nullptr;
    // The connect and the wait for the answer's headers happen on a thread of their own, for
    // the same reason as the reads: a server that accepts and never answers must not keep the
    // session waiting longer than its stall limit, nor a stop waiting at all.
    auto pending = std::make_shared<PendingOpen>();
    std::thread(openHops, session_, url, receiveTimeoutMs_, aborted_, pending).detach();
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(answerTimeoutMs_);
    std::unique_lock lock(pending->mutex);
    while (!pending->finished) {
        if (*aborted_ || std::chrono::steady_clock::now() >= deadline) {
            pending->abandoned = true;
            return nullptr;
        }
        pending->done.wait_for(lock, std::chrono::milliseconds(50));
    }
    if (!pending->request || *aborted_)
        return nullptr;
    return std::make_unique<WinInetConnection>(std::move(pending->request), aborted_,
                                               std::move(pending->answer));
}

}  // namespace sonorin::win32
