// The radio pane's stand-in for the system browser control where that control has no HTML
// engine (Wine without Gecko): it fetches pages over HTTP itself (fallback_fetch_win32.h),
// shows the page's first two lines in a header of fixed height (radio/page_view.h), and lists the
// page's links by their texts in a list box the user clicks (fallback_links_win32.h).
//
// Download-begin and download-complete fire around every fetch. A click whose answer is
// "204 No Content" leaves the page and reloads it, so that what it shows stays current; any
// other page answered replaces the current one. refresh() reads the page again too; asked
// while a fetch is under way, it reads it once more after that one.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "radio/html.h"
#include "radio/http.h"
#include "ui/browser.h"
#include "win32/fallback_fetch_win32.h"
#include "win32/fallback_links_win32.h"
#include "win32/scoped_win.h"

namespace sonorin::win32 {

class FallbackPane {
  public:
    // A child window filling `bounds` of `parent`; events go to `owner`'s handlers.
    FallbackPane(HWND parent, RECT bounds, Browser& owner);
    ~FallbackPane();
    FallbackPane(const FallbackPane&) = delete;
    FallbackPane& operator=(const FallbackPane&) = delete;

    void navigate(const std::string& address);
    // Drops every fetch not yet answered.
    void stop();
    int linkCount() const;
    std::string linkText(int index) const;
    void clickLink(int index);
    void refresh();
    std::string documentText() const;

    void setBounds(RECT bounds);
    HWND hwnd() const { return window_.get(); }
    HWND list() const { return links_ ? links_->hwnd() : nullptr; }

  private:
    using Kind = PageFetcher::Kind;

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void enqueue(Kind kind, const radio::HttpUrl& url);
    void finished(std::unique_ptr<PageFetcher::Answer> answer);
    void showPage(radio::HtmlPage page, const radio::HttpUrl& url);
    void showStatus(const std::string& text);
    void showMessage(const std::string& text);
    RECT visibleArea() const;
    void layout();
    void drawLine(const DRAWITEMSTRUCT& item);
    void setLine(HWND control, std::wstring& shown, const std::string& text);
    void fire(bool begin);

    Browser& owner_;
    // The font outlives the window and the controls that use it.
    ScopedFont font_;
    ScopedFont headingFont_;
    ScopedWindow window_;
    int dpi_ = 96;
    // Children of window_: the header's two lines, the stop and the lines' tool tips.
    HWND heading_ = nullptr;
    HWND status_ = nullptr;
    HWND stop_ = nullptr;
    HWND tips_ = nullptr;
    std::wstring headingText_, lineText_, stopCaption_;
    int statusLine_ = 1;  // the height of one line of the font, in pixels
    // The page's links that stand in the header's second line; the first is the stop's.
    std::vector<int> lineLinks_;
    std::unique_ptr<LinkList> links_;
    std::unique_ptr<PageFetcher> fetcher_;
    unsigned generation_ = 0;
    int outstanding_ = 0;  // fetches of this generation not yet answered
    bool refreshAfter_ = false;
    radio::HtmlPage page_;
    std::optional<radio::HttpUrl> url_;
};

}  // namespace sonorin::win32
