// http:// stations on the program's own sockets: SHOUTcast's "ICY 200 OK" heads are read as
// heads (WinINet hands their header lines over as the start of the body), every address of a
// name is tried in turn (WinINet tries the first only), headers of any length are read, and no
// helper thread is needed but for a name look-up.
//
// Everything else runs on the calling thread (the player's worker), on non-blocking sockets
// waited on in short slices, so an abort is seen within 50 ms and no other thread ever touches
// a socket.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <memory>
#include <string>

#include "radio/player/session.h"
#include "radio/url.h"

namespace sonorin::win32 {

// Starts Winsock once for the process and leaves it running; false when it cannot start.
bool winsockStarted();

struct SocketHop {
    std::unique_ptr<radio::Connection> connection;  // set when the answer is not a redirect
    int status = 0;                                 // of a redirect, else 0
    std::string location;                           // of a redirect, as sent
};

// One GET of `url` (`address` as given, the connection's final address). Its head must come by
// `deadline` (a GetTickCount64 value); an abort ends the wait at once. A connection's reads
// wait at most a quarter of a second for bytes.
SocketHop openSocketHop(const std::string& address, const radio::HttpUrl& url, ULONGLONG deadline,
                        std::shared_ptr<std::atomic<bool>> aborted);

}  // namespace sonorin::win32
