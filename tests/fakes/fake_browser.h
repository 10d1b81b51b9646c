// A browser pane with a scripted page: links with their texts, the page text, and a record
// of what was navigated, clicked and stopped.
#pragma once

#include <string>
#include <vector>

#include "ui/browser.h"

namespace sonorin {

class FakeBrowser : public Browser {
  public:
    void navigate(const std::string& address) override { navigated.push_back(address); }
    void stop() override { ++stops; }
    void setSilent(bool s) override { silent = s; }
    int linkCount() override { return static_cast<int>(links.size()); }
    std::string linkText(int index) override {
        return index >= 0 && index < linkCount() ? links[index] : std::string();
    }
    void clickLink(int index) override { clicked.push_back(index); }
    void refresh() override { ++refreshes; }
    std::string documentText() override { return pageText; }

    std::vector<std::string> navigated;
    std::vector<std::string> links;
    std::vector<int> clicked;
    std::string pageText;
    int stops = 0;
    int refreshes = 0;
    bool silent = false;
};

}  // namespace sonorin
