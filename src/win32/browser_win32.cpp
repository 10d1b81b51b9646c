#include "win32/browser_win32.h"

#include <windows.h>

#include <ole2.h>

#include <optional>
#include <string>

#include "win32/browser_control_win32.h"
#include "win32/browser_document_win32.h"
#include "win32/fallback_pane_win32.h"
#include "win32/scoped_win.h"

namespace sonorin {
namespace {

constexpr wchar_t kPaneClassName[] = L"SonorinBrowserPane";

// How long after its first navigation the control may go without a document before the pane
// decides it has no HTML engine and uses its own stand-in. The first page is the portal's, on
// this machine: a working control has its document within a fraction of this.
constexpr UINT_PTR kProbeTimer = 1;
constexpr UINT kProbeTickMs = 50;
constexpr ULONGLONG kProbeLimitMs = 800;

// OLE for this thread while the pane lives. S_FALSE (already initialised on this thread, e.g.
// by main) counts too: every successful call is matched by OleUninitialize, so a caller that
// initialised OLE itself is not disturbed. RPC_E_CHANGED_MODE (the thread is in a
// multithreaded apartment) leaves the pane without a control.
class OleSession {
  public:
    explicit OleSession(bool wanted) : initialized_(wanted && SUCCEEDED(OleInitialize(nullptr))) {}
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;
    ~OleSession() {
        if (initialized_) {
            OleUninitialize();
        }
    }
    explicit operator bool() const { return initialized_; }

  private:
    bool initialized_;
};

class BrowserPane final : public Win32BrowserPane {
  public:
    BrowserPane(HWND parent, RECT bounds, bool tryControl);
    ~BrowserPane() override;
    BrowserPane(const BrowserPane&) = delete;
    BrowserPane& operator=(const BrowserPane&) = delete;

    void navigate(const std::string& address) override;
    void stop() override;
    void setSilent(bool silent) override;
    int linkCount() override;
    std::string linkText(int index) override;
    void clickLink(int index) override;
    void refresh() override;
    std::string documentText() override;

    void setBounds(RECT bounds) override;
    void setVisible(bool visible) override;
    HWND hwnd() const override { return window_.get(); }
    bool hasControl() const override { return static_cast<bool>(control_); }
    bool usesStandIn() const override { return static_cast<bool>(fallback_); }

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static bool registerWindowClass();

    void fitControl();
    void onWindowDestroyed();
    void startProbe();
    void probe();
    void useStandIn();
    IWebBrowser2* browser() const { return control_ ? control_->browser() : nullptr; }

    // Members go in reverse: the stand-in and the control before the window they live in,
    // all of them before OLE.
    OleSession ole_;
    win32::ScopedWindow window_;
    std::unique_ptr<win32::WebBrowserControl> control_;

    // The first navigation tells whether the control has an engine; until then the address
    // is kept for the stand-in.
    bool probing_ = false;
    bool probed_ = false;
    ULONGLONG probeStart_ = 0;
    std::optional<std::string> lastAddress_;
    std::unique_ptr<win32::FallbackPane> fallback_;
};

BrowserPane::BrowserPane(HWND parent, RECT bounds, bool tryControl) : ole_(tryControl) {
    if (!registerWindowClass()) {
        return;
    }
    window_.reset(CreateWindowExW(
        0, kPaneClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
        bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
        nullptr, GetModuleHandleW(nullptr), this));
    if (!window_) {
        return;
    }
    if (ole_) {
        control_ = win32::WebBrowserControl::create(window_.get(), *this);
    }
    if (!control_) {
        useStandIn();
    }
}

BrowserPane::~BrowserPane() {
    fallback_.reset();
    window_.reset();  // WM_DESTROY tears the control down
    control_.reset();
}

// A working control has a document soon after its first navigation starts; one without an
// HTML engine never has one.
void BrowserPane::startProbe() {
    if (probing_ || probed_ || SetTimer(window_.get(), kProbeTimer, kProbeTickMs, nullptr) == 0) {
        return;
    }
    probing_ = true;
    probeStart_ = GetTickCount64();
}

void BrowserPane::probe() {
    if (!probing_) {
        return;
    }
    const bool works = win32::hasDocument(browser());
    if (!works && GetTickCount64() - probeStart_ < kProbeLimitMs) {
        return;
    }
    probing_ = false;
    probed_ = true;
    KillTimer(window_.get(), kProbeTimer);
    if (!works) {
        control_.reset();
        useStandIn();
        if (fallback_ && lastAddress_) {
            fallback_->navigate(*lastAddress_);
        }
    }
}

// No engine behind the control (or no control): the pane shows pages through its own stand-in.
void BrowserPane::useStandIn() {
    if (fallback_ || !window_) {
        return;
    }
    RECT area{};
    GetClientRect(window_.get(), &area);
    fallback_ = std::make_unique<win32::FallbackPane>(window_.get(), area, *this);
}

bool BrowserPane::registerWindowClass() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, kPaneClassName, &existing)) {
        return true;
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &BrowserPane::windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kPaneClassName;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

LRESULT CALLBACK BrowserPane::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* pane = reinterpret_cast<BrowserPane*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (pane != nullptr) {
        try {
            switch (message) {
                case WM_SIZE:
                    pane->fitControl();
                    return 0;
                case WM_TIMER:
                    if (wParam == kProbeTimer) {
                        pane->probe();
                        return 0;
                    }
                    break;
                case WM_DESTROY:
                    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
                    pane->onWindowDestroyed();
                    return 0;
                default:
                    break;
            }
        } catch (...) {
            // A C++ exception must not unwind through the window system's frames; the
            // message is over, as far as it got.
            return 0;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void BrowserPane::fitControl() {
    if (fallback_ && window_) {
        RECT area{};
        GetClientRect(window_.get(), &area);
        fallback_->setBounds(area);
    }
    if (control_) {
        control_->fit();
    }
}

// The window goes first when its parent is destroyed before the pane: the control must not
// outlive the window it was embedded in.
void BrowserPane::onWindowDestroyed() {
    probing_ = false;
    fallback_.reset();
    control_.reset();
    window_.release();
}

void BrowserPane::setBounds(RECT bounds) {
    if (window_) {
        MoveWindow(window_.get(), bounds.left, bounds.top, bounds.right - bounds.left,
                   bounds.bottom - bounds.top, TRUE);
    }
}

void BrowserPane::setVisible(bool visible) {
    if (window_) {
        ShowWindow(window_.get(), visible ? SW_SHOW : SW_HIDE);
    }
}

void BrowserPane::navigate(const std::string& address) {
    if (fallback_) {
        fallback_->navigate(address);
        return;
    }
    if (!control_) {
        return;
    }
    lastAddress_ = address;
    startProbe();
    control_->navigate(address);
}

void BrowserPane::stop() {
    if (fallback_) {
        fallback_->stop();
        return;
    }
    lastAddress_.reset();
    if (control_) {
        control_->stop();
    }
}

void BrowserPane::setSilent(bool silent) {
    if (control_) {
        control_->setSilent(silent);
    }
}

int BrowserPane::linkCount() {
    return fallback_ ? fallback_->linkCount() : win32::documentLinkCount(browser());
}

std::string BrowserPane::linkText(int index) {
    return fallback_ ? fallback_->linkText(index) : win32::documentLinkText(browser(), index);
}

void BrowserPane::clickLink(int index) {
    if (fallback_) {
        fallback_->clickLink(index);
    } else {
        win32::clickDocumentLink(browser(), index);
    }
}

// The control reloads the page's frames only: the station page keeps what changes in one.
void BrowserPane::refresh() {
    if (fallback_) {
        fallback_->refresh();
    } else {
        win32::reloadDocumentFrames(browser());
    }
}

std::string BrowserPane::documentText() {
    return fallback_ ? fallback_->documentText() : win32::documentText(browser());
}

}  // namespace

std::unique_ptr<Win32BrowserPane> createWebBrowserPane(HWND parent, RECT boundsInPixels) {
    return std::make_unique<BrowserPane>(parent, boundsInPixels, !htmlEngineMissing());
}

std::unique_ptr<Win32BrowserPane> createWebBrowserControlPane(HWND parent, RECT boundsInPixels) {
    return std::make_unique<BrowserPane>(parent, boundsInPixels, true);
}

}  // namespace sonorin
