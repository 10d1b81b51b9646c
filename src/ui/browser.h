// The web-browser pane: navigation, the current document's links and text, and the
// download events. With no document loaded there are no links and the text is empty.
#pragma once

#include <functional>
#include <string>

namespace sonorin {

class Browser {
  public:
    virtual ~Browser() = default;
    virtual void navigate(const std::string& address) = 0;
    virtual void stop() = 0;
    virtual void setSilent(bool silent) = 0;
    // The document's "A" elements in document order.
    virtual int linkCount() = 0;
    virtual std::string linkText(int index) = 0;
    virtual void clickLink(int index) = 0;
    // What the page shows has changed: show it as it is now, without leaving it and without
    // losing the user's place in it.
    virtual void refresh() = 0;
    // Inner text of the document element; empty with no document.
    virtual std::string documentText() = 0;

    std::function<void()> onDownloadBegin;
    std::function<void()> onDownloadComplete;
};

}  // namespace sonorin
