// A registry of scripted values; every read is logged as "root\key\value".
#pragma once

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "services/registry.h"

namespace sonorin {

class FakeRegistry : public Registry {
  public:
    std::optional<RegistryValue> read(RegistryRoot root, const std::string& keyPath,
                                      const std::string& valueName) override {
        reads.push_back(keyPath + "\\" + valueName);
        auto it = values.find({root, keyPath, valueName});
        if (it == values.end())
            return std::nullopt;
        return it->second;
    }
    void setText(const std::string& keyPath, const std::string& valueName,
                 const std::string& text) {
        values[{RegistryRoot::LocalMachine, keyPath, valueName}] = RegistryValue{1, text, 0};
    }

    std::map<std::tuple<RegistryRoot, std::string, std::string>, RegistryValue> values;
    std::vector<std::string> reads;
};

}  // namespace sonorin
