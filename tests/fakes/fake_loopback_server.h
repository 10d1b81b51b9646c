// A loopback server without sockets: records listen and close, and lets a test send a
// request head through onRequest as the real server would.
#pragma once

#include <string>
#include <vector>

#include "services/loopback_server.h"

namespace sonorin {

class FakeLoopbackServer : public LoopbackServer {
  public:
    int listen(int port, int attempts) override {
        listens.push_back({port, attempts});
        return freePort < 0 ? port : freePort;
    }
    void close() override { ++closes; }

    // What a client would get back for this request head.
    std::string request(const std::string& head) { return onRequest ? onRequest(head) : ""; }

    struct Listen {
        int port, attempts;
    };
    std::vector<Listen> listens;
    int closes = 0;
    // The port listen() answers; -1: the one asked for.
    int freePort = -1;
};

}  // namespace sonorin
