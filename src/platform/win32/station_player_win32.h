// The station player of the Windows build.
#pragma once

#include "platform/station_player.h"

namespace sonorin::win32 {

// Placeholder until the streaming player lands: remembers the station and plays nothing.
class Win32StationPlayer : public StationPlayer {
  public:
    void play(const Station& station) override;
    void stop() override;
    PlayerState state() const override { return state_; }
    Station current() const override { return current_; }
    std::string statusText() const override { return status_; }
    std::string nowPlaying() const override { return {}; }

  private:
    PlayerState state_ = PlayerState::Stopped;
    Station current_;
    std::string status_;
};

}  // namespace sonorin::win32
