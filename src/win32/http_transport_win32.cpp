#include "win32/http_transport_win32.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <vector>

#include "radio/player/answer_head.h"
#include "radio/player/icy.h"
#include "radio/url.h"

#include "win32/socket_stream_win32.h"
#include "win32/system_thread_win32.h"
#include "win32/wide.h"

namespace sonorin::win32 {

namespace {

using SharedHandle = std::shared_ptr<InternetHandle>;
using Flag = std::shared_ptr<std::atomic<bool>>;

// A header's text whatever its length: the size is asked for first (a signed CDN address in a
// Location header runs to several kilobytes).
std::string queryText(HINTERNET request, DWORD what, const wchar_t* custom = nullptr) {
    const std::wstring name = custom ? custom : L"";
    std::wstring buffer = name;
    buffer.resize(std::max<std::size_t>(name.size() + 1, 256));
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD size = DWORD(buffer.size() * sizeof(wchar_t));
        DWORD index = 0;
        if (HttpQueryInfoW(request, what, buffer.data(), &size, &index)) {
            buffer.resize(std::min<std::size_t>(size / sizeof(wchar_t), buffer.size()));
            return narrow(buffer.c_str());
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size > radio::kMaxAnswerHead * 2)
            return {};
        // The query with a custom name reads the name from the buffer again.
        buffer = name;
        buffer.resize(size / sizeof(wchar_t) + 1);
    }
    return {};
}

// A proxy the user set for this computer (by hand or by a configuration script) is WinINet's to
// use; the program's own sockets know none. Automatic detection, on by default, is not counted.
bool proxyConfigured() {
    const wchar_t* key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    DWORD enabled = 0;
    DWORD size = sizeof enabled;
    if (RegGetValueW(HKEY_CURRENT_USER, key, L"ProxyEnable", RRF_RT_REG_DWORD, nullptr, &enabled,
                     &size) == ERROR_SUCCESS &&
        enabled != 0) {
        return true;
    }
    size = 0;
    return RegGetValueW(HKEY_CURRENT_USER, key, L"AutoConfigURL", RRF_RT_REG_SZ, nullptr, nullptr,
                        &size) == ERROR_SUCCESS &&
           size > sizeof(wchar_t);
}

bool isWebAddress(const std::string& url) {
    const std::string start = url.substr(0, 8);
    return start.starts_with("http://") || start.starts_with("https://");
}

// What a WinINet hop's helper thread hands back. Shared, so the helper may outlive the wait.
struct PendingOpen {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool abandoned = false;
    SharedHandle request;
    radio::HttpAnswer answer;
    std::string location;  // of a redirect
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

// One request through WinINet (https), on a thread of its own, redirects not followed: the
// transport follows them, so that a hop to an http:// address goes to the program's sockets.
void openWinInetHop(SharedHandle session, std::string url, DWORD receiveTimeoutMs, Flag aborted,
                    std::shared_ptr<PendingOpen> pending) {
    const DWORD flags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD |
                        INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI |
                        INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_AUTO_REDIRECT;
    {
        std::lock_guard lock(pending->mutex);
        if (pending->abandoned || *aborted)
            return;
    }
    const HINTERNET handle = InternetOpenUrlW(session->get(), wide(url).c_str(),
                                              L"Icy-MetaData: 1\r\n", DWORD(-1), flags, 0);
    SharedHandle request;
    radio::HttpAnswer answer;
    std::string location;
    if (handle) {
        request = std::make_shared<InternetHandle>(handle, session);
        // Set on the request as well: the session's value does not reach every stack's requests.
        InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receiveTimeoutMs,
                           sizeof receiveTimeoutMs);
        DWORD status = 0;
        DWORD size = sizeof status;
        if (HttpQueryInfoW(handle, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                           nullptr)) {
            answer.status = int(status);
        }
        if (radio::isRedirect(answer.status)) {
            location = queryText(handle, HTTP_QUERY_LOCATION);
            request.reset();  // closed here, on the thread that used it
        } else {
            answer.finalUrl = url;
            answer.contentType = queryText(handle, HTTP_QUERY_CONTENT_TYPE);
            const std::string length = queryText(handle, HTTP_QUERY_CONTENT_LENGTH);
            if (!length.empty())
                answer.contentLength = std::atoll(length.c_str());
            answer.icyMetaint =
                radio::parseMetaint(queryText(handle, HTTP_QUERY_CUSTOM, L"icy-metaint"));
        }
    }
    std::lock_guard lock(pending->mutex);
    if (pending->abandoned)
        return;  // `request` is closed here, on the thread that used it
    pending->answer = std::move(answer);
    pending->location = std::move(location);
    pending->request = std::move(request);
    pending->finished = true;
    pending->done.notify_all();
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
        if (!runDetached([request = std::move(request), aborted, received = received_] {
                readBody(request, aborted, received);
            })) {
            received_->broken = true;  // no thread to read with: as if the connection broke
        }
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
    : answerTimeoutMs_(stallMs), receiveTimeoutMs_(2 * stallMs), viaProxy_(proxyConfigured()) {}

WinInetTransport::~WinInetTransport() {
    abort();
}

void WinInetTransport::abort() {
    *aborted_ = true;
}

// Made at the first https address: most stations are http://, and a play that never needs
// WinINet does not load it.
bool WinInetTransport::startSession() {
    if (session_)
        return true;
    const std::wstring agent = wide(radio::kUserAgent);
    const HINTERNET session =
        InternetOpenW(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session)
        return false;
    session_ = std::make_shared<InternetHandle>(session, nullptr);
    DWORD connect = 8000;
    InternetSetOptionW(session, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
    InternetSetOptionW(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &receiveTimeoutMs_,
                       sizeof receiveTimeoutMs_);
    return true;
}

std::unique_ptr<radio::Connection> WinInetTransport::open(const std::string& url) {
    // The whole chain of redirects must answer within the stall limit.
    const ULONGLONG deadline = GetTickCount64() + answerTimeoutMs_;
    std::string address = url;
    for (int hop = 0; hop <= kMaxRedirects; ++hop) {
        if (*aborted_)
            return nullptr;
        int status = 0;
        std::string location;
        const std::optional<radio::HttpUrl> http =
            viaProxy_ ? std::nullopt : radio::parseHttpUrl(address);
        if (http) {
            SocketHop answer = openSocketHop(address, *http, deadline, aborted_);
            if (answer.connection)
                return std::move(answer.connection);
            status = answer.status;
            location = std::move(answer.location);
        } else {
            std::unique_ptr<radio::Connection> connection =
                openWinInet(address, deadline, status, location);
            if (connection)
                return connection;
        }
        std::string next = radio::resolveUrl(address, location);
        if (*aborted_ || !radio::isRedirect(status) || location.empty() || !isWebAddress(next))
            return nullptr;
        address = std::move(next);
    }
    return nullptr;  // too many redirects
}

// The connect and the wait for the answer's headers happen on a thread of their own, for the
// same reason as the reads: a server that accepts and never answers must not keep the session
// waiting longer than its stall limit, nor a stop waiting at all.
std::unique_ptr<radio::Connection> WinInetTransport::openWinInet(const std::string& url,
                                                                 ULONGLONG deadline, int& status,
                                                                 std::string& location) {
    if (!startSession())
        return nullptr;
    auto pending = std::make_shared<PendingOpen>();
    if (!runDetached([session = session_, url, timeout = receiveTimeoutMs_, aborted = aborted_,
                      pending] { openWinInetHop(session, url, timeout, aborted, pending); })) {
        return nullptr;
    }
    std::unique_lock lock(pending->mutex);
    while (!pending->finished) {
        if (*aborted_ || GetTickCount64() >= deadline) {
            pending->abandoned = true;
            return nullptr;
        }
        pending->done.wait_for(lock, std::chrono::milliseconds(50));
    }
    if (!pending->request || *aborted_) {
        status = pending->answer.status;
        location = std::move(pending->location);
        return nullptr;
    }
    return std::make_unique<WinInetConnection>(std::move(pending->request), aborted_,
                                               std::move(pending->answer));
}

}  // namespace sonorin::win32
