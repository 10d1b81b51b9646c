// A web server on the loopback interface, for the portal the program serves itself. It binds
// 127.0.0.1 only, reads one request head per connection and hands it to onRequest on the
// user-interface thread; the reply is sent as given and the connection closed.
#pragma once

#include <functional>
#include <string>

namespace sonorin {

class LoopbackServer {
  public:
    virtual ~LoopbackServer() = default;
    // Listens on `port`, or when that is taken on the next free one of the `attempts` ports
    // that follow it. Returns the port, or 0 when none could be had.
    virtual int listen(int port, int attempts) = 0;
    virtual void close() = 0;

    // The request head (request line and headers through the blank line) in, the whole
    // response out.
    std::function<std::string(const std::string& head)> onRequest;
};

}  // namespace sonorin
