// An MCI string interface that records every command and answers from a script: per command
// text, first the one-time answers queued with queue(), then the standing answer set with
// answer() or fail(), else success with an empty reply.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/mci.h"

namespace sonorin {

class FakeMci : public Mci {
  public:
    MciResult send(const std::string& command) override {
        commands.push_back(command);
        if (auto queued = queued_.find(command);
            queued != queued_.end() && !queued->second.empty()) {
            MciResult result = queued->second.front();
            queued->second.pop_front();
            return result;
        }
        if (auto standing = standing_.find(command); standing != standing_.end()) {
            return standing->second;
        }
        return {};
    }

    // Every later send of command succeeds with reply.
    void answer(const std::string& command, const std::string& reply) {
        standing_[command] = {0, reply};
    }
    // Every later send of command fails with code (and the given reply in the buffer).
    void fail(const std::string& command, std::uint32_t code = 263, const std::string& reply = {}) {
        standing_[command] = {code, reply};
    }
    // The next send of command (after earlier queued ones) gets result.
    void queue(const std::string& command, MciResult result) {
        queued_[command].push_back(std::move(result));
    }

    std::vector<std::string> commands;

  private:
    std::map<std::string, std::deque<MciResult>> queued_;
    std::map<std::string, MciResult> standing_;
};

}  // namespace sonorin
