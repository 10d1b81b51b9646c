// An MCI string interface that records every command and answers from a script: per command
// text, first the one-time answers queued with queue(), then the standing answer set with
// answer() or fail(), else success with an empty reply. Given a file system, a successful
// "save capture NAME" writes the take there as the device would: the old file goes, then
// `take` is written, cut to `spaceLeft` bytes when that is set (Wine reports success for a
// save that ran out of space and leaves the truncated file). With `holdsSavedFile` the device
// keeps the saved file open, as Wine's does, until it is closed.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fakes/event_log.h"
#include "fakes/fake_filesystem.h"
#include "services/mci.h"

namespace sonorin {

class FakeMci : public Mci {
  public:
    MciResult send(const std::string& command) override {
        commands.push_back(command);
        if (events)
            events->add("mci " + command);
        const MciResult result = answerFor(command);
        if (files && (command == "close all" || command == "close capture")) {
            for (const std::string& held : held_)
                files->unlock(held);
            held_.clear();
        }
        if (result.code == 0 && files && command.starts_with(kSave) &&
            !writeTake(command.substr(kSave.size()))) {
            return {kFileNotSaved, {}};
        }
        return result;
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
    EventLog* events = nullptr;
    FakeFileSystem* files = nullptr;
    std::string take = std::string(44, 'W') + std::string(1000, 'a');  // header + data
    std::optional<std::size_t> spaceLeft;
    bool holdsSavedFile = false;

  private:
    static constexpr std::string_view kSave = "save capture ";

    MciResult answerFor(const std::string& command) {
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

    static constexpr std::uint32_t kFileNotSaved = 286;

    bool writeTake(std::string name) {
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
            name = name.substr(1, name.size() - 2);
        files->removeFile(name);
        if (!files->putFile(name, spaceLeft ? take.substr(0, *spaceLeft) : take))
            return false;
        if (holdsSavedFile) {
            files->lock(name);
            held_.push_back(name);
        }
        return true;
    }

    std::vector<std::string> held_;

    std::map<std::string, std::deque<MciResult>> queued_;
    std::map<std::string, MciResult> standing_;
};

}  // namespace sonorin
