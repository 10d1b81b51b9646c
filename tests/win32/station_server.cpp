#include "station_server.h"

#include <ws2tcpip.h>

#include <windows.h>

#include <fstream>
#include <iterator>

namespace sonorin::testing {

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string answer(const std::string& status, const std::string& type, const std::string& body) {
    return "HTTP/1.0 " + status + "\r\nContent-Type: " + type +
           "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

}  // namespace

StationServer::StationServer(const std::string& media) {
    for (const char* name : {"tone.mp3", "tone.aac", "tone.wav", "tone22k.mp3"})
        files_[name] = readFile(media + "\\" + name);
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 16) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        closesocket(listener_);
        listener_ = INVALID_SOCKET;
        return;
    }
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { accept(); });
}

StationServer::~StationServer() {
    stopping_ = true;
    if (listener_ != INVALID_SOCKET)
        closesocket(listener_);
    if (acceptor_.joinable())
        acceptor_.join();
    {
        std::lock_guard lock(mutex_);
        for (SOCKET s : sockets_)
            shutdown(s, SD_BOTH);
    }
    for (std::thread& client : clients_)
        client.join();
    WSACleanup();
}

std::string StationServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

int StationServer::requests(const std::string& path) {
    std::lock_guard lock(mutex_);
    return requests_[path];
}

int StationServer::open(const std::string& path) {
    std::lock_guard lock(mutex_);
    return open_[path];
}

void StationServer::accept() {
    while (!stopping_) {
        const SOCKET client = ::accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            return;
        std::lock_guard lock(mutex_);
        sockets_.push_back(client);
        clients_.emplace_back([this, client] { serve(client); });
    }
}

bool StationServer::send(SOCKET client, const std::string& bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        const int sent = ::send(client, bytes.data() + at, int(bytes.size() - at), 0);
        if (sent <= 0)
            return false;
        at += std::size_t(sent);
    }
    return true;
}

// Loops the file at about its real-time rate after a second's head start (or as fast as the
// client takes it), with a metadata block every `metaint` bytes when asked for.
void StationServer::streamEndless(SOCKET client, const std::string& media, std::size_t metaint,
                                  bool realTime) {
    const std::string& file = files_[media];
    const double bytesPerMs = 128000.0 / 8 / 1000;
    const ULONGLONG start = GetTickCount64();
    std::size_t sent = 0;
    std::size_t untilMeta = metaint;
    std::string metadata = "StreamTitle='测试节目';";
    metadata.resize((metadata.size() + 15) / 16 * 16, '\0');
    metadata.insert(metadata.begin(), char(metadata.size() / 16));
    while (!stopping_) {
        const double due = (double(GetTickCount64() - start) + 1000) * bytesPerMs;
        if (realTime && double(sent) >= due) {
            Sleep(20);
            continue;
        }
        std::string piece = file.substr(sent % file.size(), 4096);
        if (metaint > 0) {
            std::string out;
            for (char c : piece) {
                out += c;
                if (--untilMeta == 0) {
                    out += metadata;
                    untilMeta = metaint;
                }
            }
            if (!send(client, out))
                return;
        } else if (!send(client, piece)) {
            return;
        }
        sent += piece.size();
    }
}

void StationServer::serve(SOCKET client) {
    std::string request;
    char buffer[2048];
    while (request.find("\r\n\r\n") == std::string::npos) {
        const int got = recv(client, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        request.append(buffer, std::size_t(got));
    }
    const std::size_t space = request.find(' ');
    const std::string target =
        space == std::string::npos
            ? ""
            : request.substr(space + 1, request.find(' ', space + 1) - space - 1);
    const std::string path = target.substr(0, target.find('?'));
    {
        std::lock_guard lock(mutex_);
        ++requests_[path];
        ++open_[path];
    }
    const bool icy = request.find("Icy-MetaData: 1") != std::string::npos;
    if (path == "/tone.mp3") {
        send(client, answer("200 OK", "audio/mpeg", files_["tone.mp3"]));
    } else if (path == "/changing.mp3") {
        // MPEG-1 at 44.1 kHz stereo, then MPEG-2 at 22.05 kHz mono.
        send(client, answer("200 OK", "audio/mpeg", files_["tone.mp3"] + files_["tone22k.mp3"]));
    } else if (path == "/tone.wav") {
        send(client, answer("200 OK", "audio/wav", files_["tone.wav"]));
    } else if (path == "/live.mp3") {
        // A SHOUTcast answer: its own status line; metadata only when the player asks.
        std::string head = "ICY 200 OK\r\nicy-name: Test\r\ncontent-type: audio/mpeg\r\n";
        if (icy)
            head += "icy-metaint: 8192\r\n";
        if (send(client, head + "\r\n"))
            streamEndless(client, "tone.mp3", icy ? 8192 : 0);
    } else if (path == "/live.aac") {
        if (send(client, "HTTP/1.0 200 OK\r\nContent-Type: audio/aacp\r\n\r\n"))
            streamEndless(client, "tone.aac", 0);
    } else if (path == "/list.pls") {
        send(client, answer("200 OK", "audio/x-scpls",
                            "[playlist]\r\nNumberOfEntries=2\r\nFile1=/nothing-here\r\n"
                            "File2=live.mp3\r\n"));
    } else if (path == "/hls.m3u8") {
        send(client, answer("200 OK", "application/vnd.apple.mpegurl",
                            "#EXTM3U\n#EXT-X-TARGETDURATION:6\n"
                            "#EXT-X-KEY:METHOD=AES-128,URI=\"key\"\n#EXTINF:6,\nseg1.ts\n"));
    } else if (path == "/moved") {
        // As long as a signed CDN address.
        send(client, "HTTP/1.0 302 Found\r\nLocation: " + url("/live.aac") +
                         "?sig=" + std::string(3000, 's') + "\r\nContent-Length: 0\r\n\r\n");
    } else if (path == "/fast.mp3") {
        if (send(client, "HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\n\r\n"))
            streamEndless(client, "tone.mp3", 0, false);
    } else if (path == "/loop" || path == "/slow-loop") {
        // Redirects to itself for ever; the slow one after a fifth of a second.
        if (path == "/slow-loop")
            Sleep(200);
        send(client, "HTTP/1.0 302 Found\r\nLocation: " + path + "\r\nContent-Length: 0\r\n\r\n");
    } else if (path == "/stall.mp3") {
        // A second of audio, then nothing while the connection stays open.
        const std::string& file = files_["tone.mp3"];
        if (send(client,
                 "HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\n\r\n" + file.substr(0, 16000))) {
            while (!stopping_ && recv(client, buffer, sizeof buffer, 0) > 0) {
            }
        }
    } else if (path == "/trickle") {
        // The start of a page, then a byte every 200 ms (never silent for long) for ever.
        bool open = send(client, "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<p>");
        while (open && !stopping_) {
            Sleep(200);
            open = send(client, "x");
        }
    } else if (path == "/silent") {
        // Takes the request and never answers.
        while (!stopping_ && recv(client, buffer, sizeof buffer, 0) > 0) {
        }
    } else if (path == "/page") {
        send(client, answer("200 OK", "text/html; charset=utf-8",
                            "<!DOCTYPE html><html><body>电台</body></html>"));
    } else if (path.starts_with("/json/stations/byname/")) {
        send(client,
             answer("200 OK", "application/json",
                    R"([{"name":"a","url":"http://127.0.0.1:1/dead","votes":50,"lastcheckok":1},)"
                    R"({"name":"b","url":")" +
                        url("/page") +
                        R"(","votes":40,"lastcheckok":1},)"
                        R"({"name":"c","url":")" +
                        url("/tone.mp3") +
                        R"(","votes":3},)"
                        R"({"name":"d","url":")" +
                        url("/live.aac") + R"(","votes":2}])"));
    } else {
        send(client, answer("404 Not Found", "text/html", "<html>not here</html>"));
    }
    shutdown(client, SD_SEND);
    // Wait for the client to close, so the connection counts as open until then.
    while (recv(client, buffer, sizeof buffer, 0) > 0) {
    }
    closesocket(client);
    std::lock_guard lock(mutex_);
    --open_[path];
}

}  // namespace sonorin::testing
