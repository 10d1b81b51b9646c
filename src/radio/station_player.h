// The station player: plays one internet radio station at a time through the program itself.
// play() and stop() return at once; the work (network, decoding, output) happens elsewhere and
// never blocks the caller. Callbacks are delivered on the user-interface thread.
#pragma once

#include <functional>
#include <string>

namespace sonorin {

struct Station {
    std::string name;
    // Stream or playlist address; empty means "find it by name in the station directory".
    std::string address;
};

enum class PlayerState { Stopped, Connecting, Playing, Failed };

class StationPlayer {
  public:
    virtual ~StationPlayer() = default;
    // Stops whatever plays, then starts this station.
    virtual void play(const Station& station) = 0;
    // Silent within 100 ms.
    virtual void stop() = 0;
    // The process is about to end: stops, and gives work running elsewhere a short while to
    // let go of the sound device and the connection.
    virtual void stopForExit() { stop(); }
    virtual PlayerState state() const = 0;
    // The station being played or tried; empty when stopped.
    virtual Station current() const = 0;
    // A short status in Chinese for the user ("正在连接…", "无法连接电台", …).
    virtual std::string statusText() const = 0;
    // The stream's own title (ICY StreamTitle) when it sends one, else empty.
    virtual std::string nowPlaying() const = 0;

    // State, status or title changed.
    std::function<void()> onChanged;
    // A station without an address was found in the directory and played from this address.
    std::function<void(const Station& found)> onAddressFound;
};

}  // namespace sonorin
