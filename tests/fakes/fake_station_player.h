// A station player that plays nothing and records what it was asked to play and stop.
#pragma once

#include <string>
#include <vector>

#include "radio/station_player.h"

namespace sonorin {

class FakeStationPlayer : public StationPlayer {
  public:
    void play(const Station& station) override {
        played.push_back(station);
        current_ = station;
        state_ = PlayerState::Playing;
        if (onChanged)
            onChanged();
    }
    void stop() override {
        ++stops;
        current_ = {};
        state_ = PlayerState::Stopped;
        if (onChanged)
            onChanged();
    }
    PlayerState state() const override { return state_; }
    Station current() const override { return current_; }
    std::string statusText() const override { return status; }
    std::string nowPlaying() const override { return title; }
    // What the player's worker would report as it goes.
    void report(PlayerState state, std::string statusText, std::string titleText = {}) {
        state_ = state;
        status = std::move(statusText);
        title = std::move(titleText);
        if (onChanged)
            onChanged();
    }

    std::vector<Station> played;
    int stops = 0;
    std::string status;
    std::string title;

  private:
    PlayerState state_ = PlayerState::Stopped;
    Station current_;
};

}  // namespace sonorin
