// Power calls that are only logged: nothing is ever shut down.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "services/power.h"

namespace sonorin {

class FakePowerApi : public PowerApi {
  public:
    int platformId() override {
        log.push_back("version");
        return id;
    }
    void enableShutdownPrivilege() override { log.push_back("privilege"); }
    void exitWindowsEx(unsigned flags) override {
        log.push_back("exit " + std::to_string(flags));
        if (onExit)
            onExit(flags);
    }

    int id = 2;
    std::vector<std::string> log;
    std::function<void(unsigned)> onExit;
};

}  // namespace sonorin
