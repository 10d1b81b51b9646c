#include "win32/fallback_pane_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>

#include "radio/page_view.h"
#include "win32/form_resized_win32.h"
#include "win32/wide.h"

namespace sonorin::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"SonorinPagePane";
// The header: the page's heading and, under it, the line that says what plays now, each on one
// line of its own that cuts a long text off with "…" (the whole text in a tool tip), and the
// stop at the right end of the second line. Its height never changes, so the list under it
// stays where the pointer is.
constexpr UINT kLineFormat = DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
constexpr int kStatusMargin = 4;
constexpr int kTipWidth = 400;  // pixels at 96 dpi, where a long tool tip wraps

void registerWindowClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (GetClassInfoExW(instance, kWindowClass, &windowClass))
        return;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);
}

// The screen's pixels per inch; 96 when it cannot be read.
int screenDpi(HWND window) {
    const ScopedHdc screen(window);
    const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    return dpi > 0 ? dpi : 96;
}

// The height of one line of `font` on the window's screen.
int lineHeight(HWND window, HFONT font) {
    const ScopedHdc dc(window);
    TEXTMETRICW metrics{};
    if (!dc)
        return 0;
    const HGDIOBJ old = SelectObject(dc.get(), font);
    const bool measured = GetTextMetricsW(dc.get(), &metrics) != FALSE;
    SelectObject(dc.get(), old);
    return measured ? metrics.tmHeight + metrics.tmExternalLeading : 0;
}

// The width of `text` in `font`, in pixels.
int textWidth(HWND window, HFONT font, const std::wstring& text) {
    const ScopedHdc dc(window);
    if (!dc)
        return 0;
    const HGDIOBJ old = SelectObject(dc.get(), font);
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc.get(), old);
    return size.cx;
}

void setFont(HWND control, HFONT font) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

}  // namespace

FallbackPane::FallbackPane(HWND parent, RECT bounds, Browser& owner) : owner_(owner) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    registerWindowClass(instance, &FallbackPane::windowProc);
    window_.reset(CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                                  bounds.left, bounds.top, bounds.right - bounds.left,
                                  bounds.bottom - bounds.top, parent, nullptr, instance, this));
    // Without a window nothing is fetched: each navigation only begins.
    fetcher_ = std::make_unique<PageFetcher>(
        window_.get(),
        [this](std::unique_ptr<PageFetcher::Answer> answer) { finished(std::move(answer)); });
    if (!window_)
        return;
    const int dpi = screenDpi(window_.get());
    font_.reset(CreateFontW(-MulDiv(10, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                            DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                            DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Microsoft YaHei"));
    LOGFONTW bold{};
    if (GetObjectW(font_.get(), sizeof bold, &bold) == sizeof bold) {
        bold.lfWeight = FW_BOLD;
        headingFont_.reset(CreateFontIndirectW(&bold));
    }
    dpi_ = dpi;
    // Owner-drawn, so that each stays on its one line on every system; they notify, so that
    // the mouse over them reaches the tool tip.
    for (HWND* line : {&heading_, &status_}) {
        *line = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW | SS_NOTIFY,
                                0, 0, 0, 0, window_.get(), nullptr, instance, nullptr);
    }
    stop_ = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0,
                            window_.get(), nullptr, instance, nullptr);
    setFont(stop_, font_.get());
    tips_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, window_.get(), nullptr, instance, nullptr);
    if (tips_) {
        SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, MulDiv(kTipWidth, dpi, 96));
        for (HWND line : {heading_, status_}) {
            TTTOOLINFOW tool{};
            tool.cbSize = sizeof tool;
            tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
            tool.hwnd = window_.get();
            tool.uId = reinterpret_cast<UINT_PTR>(line);
            tool.lpszText = const_cast<wchar_t*>(L"");
            SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        }
    }
    // Whole lines at any DPI: the height follows the font, which follows the screen.
    const int line = lineHeight(window_.get(), font_.get());
    statusLine_ = line > 0 ? line : MulDiv(16, dpi, 96);
    links_ = std::make_unique<LinkList>(window_.get(), font_.get(), dpi,
                                        [this](int index) { clickLink(index); });
    layout();
}

FallbackPane::~FallbackPane() {
    fetcher_.reset();
    links_.reset();
    if (window_)
        SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
    window_.reset();
}

// Every message handled here answers 0 when done, and so when a C++ exception cuts it short:
// the exception must not unwind through the window system's frames.
LRESULT CALLBACK FallbackPane::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* pane = reinterpret_cast<FallbackPane*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    try {
        if (PageFetcher::handle(pane ? pane->fetcher_.get() : nullptr, message, wParam, lParam))
            return 0;
        if (pane) {
            // What shows of the pane changes with the form around it too (the form that
            // holds the browser pane that holds this one).
            if (message == formResizedMessage()) {
                pane->layout();
                return 0;
            }
            switch (message) {
                case WM_SIZE:
                    pane->layout();
                    return 0;
                case WM_DRAWITEM: {
                    const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
                    if (item.hwndItem == pane->heading_ || item.hwndItem == pane->status_)
                        pane->drawLine(item);
                    else if (pane->links_)
                        pane->links_->draw(item);
                    return TRUE;
                }
                case WM_COMMAND:
                    if (reinterpret_cast<HWND>(lParam) == pane->stop_ &&
                        HIWORD(wParam) == BN_CLICKED && !pane->lineLinks_.empty())
                        pane->clickLink(pane->lineLinks_.front());
                    return 0;
                case WM_CTLCOLORSTATIC:
                    SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
                    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
                case WM_DESTROY:
                    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
                    pane->window_.release();
                    if (pane->fetcher_)
                        pane->fetcher_->windowGone();
                    break;
                default:
                    break;
            }
        }
    } catch (...) {
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The part of the pane the user can see: each window around it may cut it off (the form
// lays the pane out wider than it shows while the window is narrow) and cover its foot with a
// status bar, and the list's scroll bar must stay in view.
RECT FallbackPane::visibleArea() const {
    RECT area{};
    GetClientRect(window_.get(), &area);
    RECT visible = area;
    for (HWND inner = window_.get(); GetWindowLongPtrW(inner, GWL_STYLE) & WS_CHILD;) {
        const HWND outer = GetParent(inner);
        RECT shown{};
        if (!outer || !GetClientRect(outer, &shown))
            break;
        for (HWND sibling = GetWindow(outer, GW_CHILD); sibling;
             sibling = GetWindow(sibling, GW_HWNDNEXT)) {
            wchar_t cls[32] = {};
            RECT bar{};
            if (sibling != inner && IsWindowVisible(sibling) && GetClassNameW(sibling, cls, 32) &&
                lstrcmpiW(cls, STATUSCLASSNAMEW) == 0 && GetWindowRect(sibling, &bar)) {
                MapWindowPoints(nullptr, outer, reinterpret_cast<POINT*>(&bar), 2);
                shown.bottom = std::min(shown.bottom, bar.top);
            }
        }
        MapWindowPoints(outer, window_.get(), reinterpret_cast<POINT*>(&shown), 2);
        if (!IntersectRect(&visible, &visible, &shown))
            return area;
        inner = outer;
    }
    return visible;
}

void FallbackPane::layout() {
    if (!window_)
        return;
    const RECT area = visibleArea();
    const int left = std::max<int>(area.left, 0) + 6;
    const int right = area.right - 6;
    const int gap = MulDiv(4, dpi_, 96);
    const int buttonHeight = statusLine_ + MulDiv(6, dpi_, 96);
    MoveWindow(heading_, left, kStatusMargin, std::max(right - left, 0), statusLine_, TRUE);
    const int second = kStatusMargin + statusLine_ + gap;
    int lineRight = right;
    if (stop_ && IsWindowVisible(stop_)) {
        const int width = textWidth(stop_, font_.get(), stopCaption_) + MulDiv(20, dpi_, 96);
        lineRight = std::max(left, right - width);
        MoveWindow(stop_, lineRight, second, right - lineRight, buttonHeight, TRUE);
        lineRight -= gap;
    }
    MoveWindow(status_, left, second, std::max(lineRight - left, 0), buttonHeight, TRUE);
    if (links_)
        links_->move(
            RECT{left - 6, second + buttonHeight + kStatusMargin, area.right, area.bottom});
}

void FallbackPane::drawLine(const DRAWITEMSTRUCT& item) {
    const bool heading = item.hwndItem == heading_;
    const std::wstring& text = heading ? headingText_ : lineText_;
    HDC dc = item.hDC;
    FillRect(dc, &item.rcItem, GetSysColorBrush(COLOR_WINDOW));
    const HGDIOBJ oldFont =
        SelectObject(dc, heading && headingFont_ ? headingFont_.get() : font_.get());
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    RECT bounds = item.rcItem;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &bounds, kLineFormat);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
}

void FallbackPane::setBounds(RECT bounds) {
    if (window_)
        MoveWindow(window_.get(), bounds.left, bounds.top, bounds.right - bounds.left,
                   bounds.bottom - bounds.top, TRUE);
}

void FallbackPane::fire(bool begin) {
    // A copy: the handler may replace itself.
    const std::function<void()> handler =
        begin ? owner_.onDownloadBegin : owner_.onDownloadComplete;
    if (!handler)
        return;
    try {
        handler();
    } catch (...) {
        // A C++ exception must not unwind through the window procedure; the event is over.
    }
}

void FallbackPane::enqueue(Kind kind, const radio::HttpUrl& url) {
    fetcher_->add({generation_, kind, url});
    ++outstanding_;
    fire(true);
    fetcher_->startNext();
}

void FallbackPane::navigate(const std::string& address) {
    stop();
    const auto url = radio::parseHttpUrl(address);
    if (!url) {
        // Not a page this pane can fetch (about:blank, https, …): an empty pane.
        fire(true);
        showPage({}, radio::HttpUrl{});
        url_.reset();
        showMessage(address == "about:blank" ? "" : "无法打开网页：" + address);
        fire(false);
        return;
    }
    showMessage("正在打开 " + url->text() + " …");
    enqueue(Kind::Page, *url);
}

// The fetch under way goes on (a click already sent must act on the server as it would in a
// browser); its answer is not shown.
void FallbackPane::stop() {
    refreshAfter_ = false;
    fetcher_->dropQueued();
    ++generation_;
    const int dropped = outstanding_;
    outstanding_ = 0;
    for (int i = 0; i < dropped; ++i)
        fire(false);
}

int FallbackPane::linkCount() const {
    return static_cast<int>(page_.links.size());
}

std::string FallbackPane::linkText(int index) const {
    return index >= 0 && index < linkCount() ? page_.links[index].text : std::string();
}

std::string FallbackPane::documentText() const {
    return page_.text;
}

void FallbackPane::clickLink(int index) {
    if (index < 0 || index >= linkCount() || !url_)
        return;
    // Links to other schemes (mailto:, javascript:, https:) lead nowhere in this pane.
    if (const auto target = radio::resolveUrl(*url_, page_.links[index].href))
        enqueue(Kind::Click, *target);
}

void FallbackPane::refresh() {
    if (!url_)
        return;
    if (outstanding_ > 0) {
        // What is under way may have been answered before the change.
        refreshAfter_ = true;
        return;
    }
    enqueue(Kind::Reload, *url_);
}

void FallbackPane::finished(std::unique_ptr<PageFetcher::Answer> answer) {
    const PageFetcher::Request& asked = answer->request;
    if (asked.generation != generation_)
        return;  // stopped: its download-complete has fired already
    --outstanding_;
    const bool page =
        answer->reached && answer->status >= 200 && answer->status < 300 && answer->status != 204;
    if (page) {
        showPage(radio::readHtmlPage(answer->body), asked.url);
    } else if (asked.kind == Kind::Click && answer->reached && answer->status == 204) {
        // The link acted without leaving the page: show the page as it is now.
        if (url_)
            enqueue(Kind::Reload, *url_);
    } else if (asked.kind == Kind::Page) {
        showPage({}, asked.url);
        url_.reset();
        showMessage("无法打开网页：" + asked.url.text() +
                    (answer->reached ? "（" + std::to_string(answer->status) + "）" : ""));
    } else if (asked.kind == Kind::Click) {
        showStatus("无法打开链接：" + asked.url.text());
    }
    fire(false);
    if (refreshAfter_ && outstanding_ == 0) {
        refreshAfter_ = false;
        refresh();
    }
}

void FallbackPane::showPage(radio::HtmlPage page, const radio::HttpUrl& url) {
    const bool samePage = url_ && url_->text() == url.text();
    page_ = std::move(page);
    url_ = url;
    const radio::PageView view = radio::viewPage(page_);
    if (links_)
        links_->show(view.entries, samePage);
    lineLinks_ = view.lineLinks;
    stopCaption_ = lineLinks_.empty() ? std::wstring() : wide(page_.links[lineLinks_.front()].text);
    if (stop_) {
        SetWindowTextW(stop_, stopCaption_.c_str());
        ShowWindow(stop_, lineLinks_.empty() ? SW_HIDE : SW_SHOWNA);
    }
    setLine(heading_, headingText_, view.heading);
    showStatus(view.line);
}

void FallbackPane::setLine(HWND control, std::wstring& shown, const std::string& text) {
    std::wstring now = wide(text);
    if (now == shown)
        return;
    shown = std::move(now);
    if (tips_) {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = window_.get();
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        tool.lpszText = shown.data();
        SendMessageW(tips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    // The accessible name is the whole text too; the static draws it itself.
    SetWindowTextW(control, shown.c_str());
    InvalidateRect(control, nullptr, FALSE);
}

// In place of the page's heading: what the pane is doing, or why it shows no page.
void FallbackPane::showMessage(const std::string& text) {
    setLine(heading_, headingText_, text);
    showStatus({});
}

void FallbackPane::showStatus(const std::string& text) {
    setLine(status_, lineText_, text);
    // The stop may have come or gone.
    layout();
}

}  // namespace sonorin::win32
