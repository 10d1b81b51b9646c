// A station player that plays nothing and records what it was asked to play and stop.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "radio/station_player.h"

namespace sonorin {

class FakeStationPlayer : public StationPlayer {
  public:
    void play(const Station& station) override {
        played.push_back(station);
        current_ = station;
        state_ = startsAs;
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

    // What the worker would decode: 16-bit samples, interleaved.
    void feed(const DecodedFormat& format, const std::vector<std::int16_t>& samples) {
        pcmTap->deliver(format, reinterpret_cast<const std::uint8_t*>(samples.data()),
                        samples.size() * sizeof(std::int16_t));
    }

    // What play() reports at once: a real player connects first.
    PlayerState startsAs = PlayerState::Playing;
    std::vector<Station> played;
    int stops = 0;
    std::string status;
    std::string title;

  private:
    PlayerState state_ = PlayerState::Stopped;
    Station current_;
};

}  // namespace sonorin
