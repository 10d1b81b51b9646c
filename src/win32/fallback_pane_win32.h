// The radio pane's stand-in for the system browser control where that control has no HTML
// engine (Wine without Gecko): it fetches pages over HTTP itself, shows the page's title and
// first lines, and lists the page's links by their texts in a list box the user clicks.
//
// Fetches run one after the other, in the order asked for (so that several links clicked in a
// row reach the server in that order), on the user-interface thread with non-blocking sockets;
// only a host name is resolved on a thread of its own. Results are read from the message loop.
// Download-begin and download-complete fire around every fetch. A click whose answer is
// "204 No Content" leaves the page and reloads it, so that what it shows stays current; any
// other page answered replaces the current one. A click on an entry of the list, or Enter on
// the selected one, clicks that link.
#pragma once

#include <windows.h>

#include <winsock2.h>

#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "ui/browser.h"
#include "radio/html.h"
#include "radio/http.h"

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
    std::string documentText() const;

    void setBounds(RECT bounds);
    HWND hwnd() const { return window_; }
    HWND list() const { return list_; }

  private:
    enum class Kind { Page, Click, Reload };
    struct Job {
        unsigned generation;
        Kind kind;
        radio::HttpUrl url;
    };
    struct Result;
    struct Fetch;
    struct Lookup;

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK listProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR data);
    void enqueue(Kind kind, const radio::HttpUrl& url);
    void startNext();
    void beginHop();
    void resolved(const Lookup& lookup);
    void connectNext();
    void socketEvent(UINT message, SOCKET s, int event, int error);
    void sendSome();
    bool receive();
    void silence();
    void closeConnection();
    void endConnection();
    void completeHop(const std::optional<radio::ParsedResponse>& response);
    void finished(std::unique_ptr<Result> result);
    void showPage(radio::HtmlPage page, const radio::HttpUrl& url);
    void showStatus(const std::string& text);
    void layout();
    void fire(bool begin);

    Browser& owner_;
    HWND window_ = nullptr;
    HWND status_ = nullptr;
    HWND list_ = nullptr;
    HFONT font_ = nullptr;
    bool winsock_ = false;
    std::deque<Job> jobs_;
    std::unique_ptr<Fetch> fetch_;
    unsigned lookups_ = 0;
    UINT connection_ = 0;  // which socket message the connection under way uses
    unsigned generation_ = 0;
    int outstanding_ = 0;  // fetches of this generation not yet answered
    bool doubleClicked_ = false;
    radio::HtmlPage page_;
    std::optional<radio::HttpUrl> url_;
};

}  // namespace sonorin::win32
