// The stand-in pane's fetching: one HTTP GET after the other, in the order asked for (so that
// several links clicked in a row reach the server in that order), following redirects.
//
// It runs on the user-interface thread with non-blocking sockets that report to a window
// (WSAAsyncSelect), so the thread that shows the page also fetches it, and the program's own
// portal on the loopback address — served by this very thread — answers in between. Only a
// host name is resolved on a thread of its own. Answers come back through the message loop
// too, as a browser's events come: whatever their handler starts (another page, a stop) starts
// after the fetch is over.
#pragma once

#include <windows.h>

#include <winsock2.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "radio/http.h"

namespace sonorin::win32 {

class PageFetcher {
  public:
    // What the pane meant by a fetch; the fetcher only carries it to the answer.
    enum class Kind { Page, Click, Reload };
    struct Request {
        unsigned generation = 0;
        Kind kind = Kind::Page;
        radio::HttpUrl url;
    };
    struct Answer {
        Request request;  // its url: where the answer finally came from
        bool reached = false;
        int status = 0;
        std::string body;  // UTF-8
    };
    using AnswerHandler = std::function<void(std::unique_ptr<Answer>)>;
    // Nothing heard for the silence time ends an answer; this ends one that trickles in: the
    // whole of one hop (look-up, connection and answer) comes within it, or what came by then
    // is taken as the answer.
    static constexpr UINT kWholeAnswerMs = 60000;

    // Fetches through `window`, whose window procedure hands its messages to handle().
    // `window` may be null: then nothing is fetched. Answers go to `answered`.
    PageFetcher(HWND window, AnswerHandler answered, UINT wholeAnswerMs = kWholeAnswerMs);
    ~PageFetcher();
    PageFetcher(const PageFetcher&) = delete;
    PageFetcher& operator=(const PageFetcher&) = delete;

    // Queues a fetch; it starts with the next startNext() when nothing is under way.
    void add(Request request);
    void startNext();
    // Drops the fetches not begun. The one under way goes on.
    void dropQueued() { requests_.clear(); }
    // The window is being destroyed: nothing more is started or reported.
    void windowGone();

    // Handles a message of `fetcher`'s window if it is one of the fetcher's; true then. A
    // null `fetcher` (its pane gone) still frees what the message carries.
    static bool handle(PageFetcher* fetcher, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    struct Fetch;
    struct Lookup;

    void beginHop();
    void resolved(const Lookup& lookup);
    void connectNext();
    void socketEvent(UINT message, SOCKET s, int event, int error);
    void sendSome();
    bool receive();
    void silence();
    void overdue();
    void closeConnection();
    void endConnection();
    void completeHop(const std::optional<radio::ParsedResponse>& response);

    HWND window_;
    AnswerHandler answered_;
    UINT wholeAnswerMs_;
    bool winsock_ = false;
    std::deque<Request> requests_;
    std::unique_ptr<Fetch> fetch_;
    unsigned lookups_ = 0;
    UINT connection_ = 0;  // which socket message the connection under way uses
};

}  // namespace sonorin::win32
