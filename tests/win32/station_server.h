// A small HTTP server on 127.0.0.1 for the station player's tests: finite and endless
// streams (one at full speed), ICY metadata, playlists, a redirect and redirect loops, a stall,
// an HTML page, one that trickles in for ever, and a station directory.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace sonorin::testing {

class StationServer {
  public:
    // `media`: folder of tone.mp3, tone22k.mp3, tone.aac and tone.wav.
    explicit StationServer(const std::string& media);
    ~StationServer();
    bool running() const { return listener_ != INVALID_SOCKET; }
    std::string url(const std::string& path) const;
    // Requests seen for a path, and connections still open for it.
    int requests(const std::string& path);
    int open(const std::string& path);

  private:
    void accept();
    void serve(SOCKET client);
    bool send(SOCKET client, const std::string& bytes);
    void streamEndless(SOCKET client, const std::string& media, std::size_t metaint,
                       bool realTime = true);

    std::map<std::string, std::string> files_;
    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptor_;
    std::mutex mutex_;
    std::vector<std::thread> clients_;
    std::vector<SOCKET> sockets_;
    std::map<std::string, int> requests_;
    std::map<std::string, int> open_;
};

}  // namespace sonorin::testing
