#include "win32/browser_win32.h"

#include <windows.h>

#include <exdisp.h>
#include <exdispid.h>
#include <mshtml.h>
#include <ole2.h>

#include <climits>
#include <functional>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "base/text.h"
#include "win32/fallback_pane_win32.h"

namespace sonorin {
namespace {

static_assert(sizeof(OLECHAR) == sizeof(char16_t), "BSTRs are UTF-16");

constexpr wchar_t kPaneClassName[] = L"SonorinBrowserPane";

// How long after its first navigation the control may go without a document before the pane
// decides it has no HTML engine and uses its own stand-in. The first page is the portal's, on
// this machine: a working control has its document within a fraction of this.
constexpr UINT_PTR kProbeTimer = 1;
constexpr UINT kProbeTickMs = 50;
constexpr ULONGLONG kProbeLimitMs = 800;

// Whether a file or folder matching `pattern` exists whose name starts with `prefix`.
bool anyNamed(const std::wstring& pattern, const std::wstring& prefix) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool any = false;
    do {
        any = std::wstring_view(found.cFileName).substr(0, prefix.size()) == prefix;
    } while (!any && FindNextFileW(search, &found));
    FindClose(search);
    return any;
}

// Under Wine the control's HTML engine is the separate Wine-Gecko package. Without it the
// control is made and navigates but never has a document (the probe finds that out after
// kProbeLimitMs), having loaded mshtml, ieframe, urlmon and OLE for nothing: several MiB and
// most of the pane's start. Where Wine has Gecko neither installed nor at hand to install,
// the pane is the stand-in from the start. On Windows the engine is always there.
bool noEngineUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (ntdll == nullptr || GetProcAddress(ntdll, "wine_get_version") == nullptr) {
        return false;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\MSHTML", 0, KEY_READ, &key) ==
        ERROR_SUCCESS) {
        RegCloseKey(key);
        return false;  // a Gecko path of the user's own
    }
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemWindowsDirectoryW(folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        // Installed: a version folder under system32\gecko (every prefix has "plugin" there).
        const std::wstring windows(folder, length);
        for (const wchar_t* sub : {L"\\system32\\gecko\\", L"\\syswow64\\gecko\\"}) {
            for (wchar_t digit = L'0'; digit <= L'9'; ++digit) {
                if (anyNamed(windows + sub + digit + L"*", std::wstring(1, digit))) {
                    return false;
                }
            }
        }
    }
    // At hand: the packages Wine installs from on first use (its data folders, its cache).
    for (const wchar_t* place : {L"Z:\\usr\\share\\wine\\gecko\\*",
                                 L"Z:\\usr\\local\\share\\wine\\gecko\\*",
                                 L"Z:\\opt\\wine\\gecko\\*"}) {
        if (anyNamed(place, L"wine")) {
            return false;
        }
    }
    const DWORD homeLength = GetEnvironmentVariableW(L"HOME", folder, MAX_PATH);
    if (homeLength > 0 && homeLength < MAX_PATH) {
        std::wstring cache = L"Z:" + std::wstring(folder, homeLength) + L"/.cache/wine/*";
        for (wchar_t& c : cache) {
            if (c == L'/') {
                c = L'\\';
            }
        }
        if (anyNamed(cache, L"wine-gecko")) {
            return false;
        }
    }
    return true;
}

// Owns one COM reference. Out-parameters go through put(), which drops the old reference first.
template <class T>
class ComRef {
  public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ComRef(ComRef&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComRef& operator=(ComRef&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ~ComRef() { reset(); }

    // Takes over a reference the caller already owns (a fresh object's initial one).
    static ComRef adopt(T* p) {
        ComRef ref;
        ref.p_ = p;
        return ref;
    }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T** put() {
        reset();
        return &p_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }
    void reset() {
        if (T* p = std::exchange(p_, nullptr)) {
            p->Release();
        }
    }

  private:
    T* p_ = nullptr;
};

template <class T>
ComRef<T> query(IUnknown* from, REFIID iid) {
    ComRef<T> result;
    if (from != nullptr && FAILED(from->QueryInterface(iid, result.putVoid()))) {
        result.reset();
    }
    return result;
}

// A BSTR the caller frees.
class Bstr {
  public:
    Bstr() = default;
    explicit Bstr(const std::u16string& text)
        : b_(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                               static_cast<UINT>(text.size()))) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(b_); }

    BSTR get() const { return b_; }
    BSTR* put() {
        SysFreeString(b_);
        b_ = nullptr;
        return &b_;
    }
    // A null BSTR is the empty string.
    std::string utf8() const {
        if (b_ == nullptr) {
            return {};
        }
        return utf16ToUtf8(
            std::u16string_view(reinterpret_cast<const char16_t*>(b_), SysStringLen(b_)));
    }

  private:
    BSTR b_ = nullptr;
};

// The container side of the OLE conversation: client site, in-place site and in-place frame
// in one object. The pane owns one reference; the control holds others while it is
// embedded. detach() cuts the link to the pane's window once the pane tears the control down,
// so late calls from the control find nothing to act on.
class ContainerSite final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
  public:
    explicit ContainerSite(HWND window) : window_(window) {}
    void detach() { window_ = nullptr; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
            *out = static_cast<IOleClientSite*>(this);
        } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
            *out = static_cast<IOleInPlaceSite*>(this);
        } else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame) {
            *out = static_cast<IOleInPlaceFrame*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --refs_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override {
        if (out != nullptr) {
            *out = nullptr;
        }
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** out) override {
        if (out != nullptr) {
            *out = nullptr;
        }
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (shared by the in-place site and the frame)
    STDMETHODIMP GetWindow(HWND* out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = window_;
        return window_ != nullptr ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return window_ != nullptr ? S_OK : S_FALSE; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                  LPRECT position, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO info) override {
        if (frame == nullptr || document == nullptr || position == nullptr || clip == nullptr ||
            info == nullptr) {
            return E_POINTER;
        }
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        *document = nullptr;
        *position = RECT{};
        if (window_ != nullptr) {
            GetClientRect(window_, position);
        }
        *clip = *position;
        // info->cb is the caller's; leave it.
        info->fMDIApp = FALSE;
        info->hwndFrame = window_ != nullptr ? GetAncestor(window_, GA_ROOT) : nullptr;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    // The pane decides the control's size (it follows the pane window), so a request from
    // the control to move is acknowledged and otherwise ignored.
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

    // IOleInPlaceUIWindow: no toolbars, no menus, no status bar.
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }

    // IOleInPlaceFrame
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

  private:
    ~ContainerSite() = default;

    ULONG refs_ = 1;
    HWND window_;
};

// Receives DWebBrowserEvents2 and passes the two download events on to the pane's handlers.
// Every other event is acknowledged and left to the control's default behaviour.
class EventSink final : public IDispatch {
  public:
    explicit EventSink(Browser* pane) : pane_(pane) {}
    void detach() { pane_ = nullptr; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --refs_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) {
            return E_POINTER;
        }
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
        if (out != nullptr) {
            *out = nullptr;
        }
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        if (pane_ == nullptr) {
            return S_OK;
        }
        // A copy: the handler may replace itself or even destroy the pane.
        std::function<void()> handler;
        if (id == DISPID_DOWNLOADBEGIN) {
            handler = pane_->onDownloadBegin;
        } else if (id == DISPID_DOWNLOADCOMPLETE) {
            handler = pane_->onDownloadComplete;
        }
        if (handler) {
            AddRef();  // the pane may unadvise (and drop this sink) inside the handler
            try {
                handler();
            } catch (...) {
                // A C++ exception must not unwind through the control's frames; the event
                // is simply over.
            }
            Release();
        }
        return S_OK;
    }

  private:
    ~EventSink() = default;

    ULONG refs_ = 1;
    Browser* pane_;
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
    std::string documentText() override;

    void setBounds(RECT bounds) override;
    void setVisible(bool visible) override;
    HWND hwnd() const override { return window_; }
    bool hasControl() const override { return static_cast<bool>(browser_); }
    bool usesStandIn() const override { return static_cast<bool>(fallback_); }

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static bool registerWindowClass();

    void createControl();
    void destroyControl();
    void fitControl();
    void onWindowDestroyed();
    void startProbe();
    void probe();
    void useStandIn();

    ComRef<IHTMLElementCollection> anchors();
    ComRef<IHTMLElement> anchor(int index);
    ComRef<IDispatch> document();

    bool oleInitialized_ = false;
    HWND window_ = nullptr;
    ComRef<ContainerSite> site_;
    ComRef<IOleObject> oleObject_;
    ComRef<IOleInPlaceObject> inPlaceObject_;
    ComRef<IWebBrowser2> browser_;
    ComRef<EventSink> sink_;
    ComRef<IConnectionPoint> connectionPoint_;
    DWORD adviseCookie_ = 0;

    // The first navigation tells whether the control has an engine; until then the address
    // is kept for the stand-in.
    bool probing_ = false;
    bool probed_ = false;
    ULONGLONG probeStart_ = 0;
    std::optional<std::string> lastAddress_;
    std::unique_ptr<win32::FallbackPane> fallback_;
};

BrowserPane::BrowserPane(HWND parent, RECT bounds, bool tryControl) {
    // S_FALSE (already initialised on this thread, e.g. by main) counts too: every successful
    // call is matched by OleUninitialize in the destructor. RPC_E_CHANGED_MODE (the thread is
    // in a multithreaded apartment) leaves the pane without a control.
    oleInitialized_ = tryControl && SUCCEEDED(OleInitialize(nullptr));
    if (!registerWindowClass()) {
        return;
    }
    window_ = CreateWindowExW(
        0, kPaneClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
        bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
        nullptr, GetModuleHandleW(nullptr), this);
    if (window_ == nullptr) {
        return;
    }
    if (oleInitialized_) {
        createControl();
    }
    if (!browser_) {
        useStandIn();
    }
}

// A working control has a document soon after its first navigation starts; one without an
// HTML engine never has one.
void BrowserPane::startProbe() {
    if (probing_ || probed_ || SetTimer(window_, kProbeTimer, kProbeTickMs, nullptr) == 0) {
        return;
    }
    probing_ = true;
    probeStart_ = GetTickCount64();
}

void BrowserPane::probe() {
    if (!probing_) {
        return;
    }
    const bool works = static_cast<bool>(document());
    if (!works && GetTickCount64() - probeStart_ < kProbeLimitMs) {
        return;
    }
    probing_ = false;
    probed_ = true;
    KillTimer(window_, kProbeTimer);
    if (!works) {
        destroyControl();
        useStandIn();
        if (fallback_ && lastAddress_) {
            fallback_->navigate(*lastAddress_);
        }
    }
}

// No engine behind the control (or no control): the pane shows pages through its own stand-in.
void BrowserPane::useStandIn() {
    if (fallback_ || window_ == nullptr) {
        return;
    }
    RECT area{};
    GetClientRect(window_, &area);
    fallback_ = std::make_unique<win32::FallbackPane>(window_, area, *this);
}

BrowserPane::~BrowserPane() {
    fallback_.reset();
    if (window_ != nullptr) {
        DestroyWindow(window_);  // WM_DESTROY tears the control down
    }
    destroyControl();
    window_ = nullptr;
    if (oleInitialized_) {
        OleUninitialize();
    }
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
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void BrowserPane::createControl() {
    if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                oleObject_.putVoid())) ||
        !oleObject_) {
        oleObject_.reset();
        return;
    }
    auto* site = new (std::nothrow) ContainerSite(window_);
    if (site == nullptr) {
        destroyControl();
        return;
    }
    site_ = ComRef<ContainerSite>::adopt(site);
    if (FAILED(oleObject_->SetClientSite(static_cast<IOleClientSite*>(site_.get())))) {
        destroyControl();
        return;
    }
    OleSetContainedObject(oleObject_.get(), TRUE);
    RECT area{};
    GetClientRect(window_, &area);
    if (FAILED(oleObject_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr,
                                  static_cast<IOleClientSite*>(site_.get()), 0, window_, &area))) {
        destroyControl();
        return;
    }
    inPlaceObject_ = query<IOleInPlaceObject>(oleObject_.get(), IID_IOleInPlaceObject);
    browser_ = query<IWebBrowser2>(oleObject_.get(), IID_IWebBrowser2);
    if (!browser_) {
        destroyControl();
        return;
    }
    // Script errors and the control's own dialogs stay hidden from the first page on.
    browser_->put_Silent(VARIANT_TRUE);
    fitControl();

    // Events are a convenience: without them the pane still navigates and reads pages.
    auto container =
        query<IConnectionPointContainer>(browser_.get(), IID_IConnectionPointContainer);
    ComRef<IConnectionPoint> point;
    if (!container ||
        FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.put())) || !point) {
        return;
    }
    auto* sink = new (std::nothrow) EventSink(this);
    if (sink == nullptr) {
        return;
    }
    sink_ = ComRef<EventSink>::adopt(sink);
    DWORD cookie = 0;
    if (SUCCEEDED(point->Advise(static_cast<IDispatch*>(sink_.get()), &cookie))) {
        connectionPoint_ = std::move(point);
        adviseCookie_ = cookie;
    } else {
        sink_->detach();
        sink_.reset();
    }
}

// Safe on a partly built control and when called twice.
void BrowserPane::destroyControl() {
    if (connectionPoint_) {
        connectionPoint_->Unadvise(adviseCookie_);
        connectionPoint_.reset();
        adviseCookie_ = 0;
    }
    if (sink_) {
        sink_->detach();
        sink_.reset();
    }
    browser_.reset();
    if (inPlaceObject_) {
        inPlaceObject_->InPlaceDeactivate();
        inPlaceObject_.reset();
    }
    if (oleObject_) {
        oleObject_->Close(OLECLOSE_NOSAVE);
        oleObject_->SetClientSite(nullptr);
        oleObject_.reset();
    }
    if (site_) {
        site_->detach();
        site_.reset();
    }
}

void BrowserPane::fitControl() {
    if (fallback_ && window_ != nullptr) {
        RECT area{};
        GetClientRect(window_, &area);
        fallback_->setBounds(area);
    }
    if (!inPlaceObject_ || window_ == nullptr) {
        return;
    }
    RECT area{};
    GetClientRect(window_, &area);
    inPlaceObject_->SetObjectRects(&area, &area);
}

// The window goes first when its parent is destroyed before the pane: the control must not
// outlive the window it was embedded in.
void BrowserPane::onWindowDestroyed() {
    probing_ = false;
    fallback_.reset();
    destroyControl();
    window_ = nullptr;
}

void BrowserPane::setBounds(RECT bounds) {
    if (window_ != nullptr) {
        MoveWindow(window_, bounds.left, bounds.top, bounds.right - bounds.left,
                   bounds.bottom - bounds.top, TRUE);
    }
}

void BrowserPane::setVisible(bool visible) {
    if (window_ != nullptr) {
        ShowWindow(window_, visible ? SW_SHOW : SW_HIDE);
    }
}

void BrowserPane::navigate(const std::string& address) {
    if (fallback_) {
        fallback_->navigate(address);
        return;
    }
    if (!browser_) {
        return;
    }
    lastAddress_ = address;
    startProbe();
    VARIANT url;
    VariantInit(&url);
    url.vt = VT_BSTR;
    const std::u16string wide = utf8ToUtf16(address);
    url.bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()),
                                    static_cast<UINT>(wide.size()));
    if (url.bstrVal == nullptr) {
        return;
    }
    VARIANT none;
    VariantInit(&none);
    // Navigation errors are the control's business; the program is never told of them.
    browser_->Navigate2(&url, &none, &none, &none, &none);
    VariantClear(&url);
}

void BrowserPane::stop() {
    if (fallback_) {
        fallback_->stop();
        return;
    }
    lastAddress_.reset();
    if (browser_) {
        browser_->Stop();
    }
}

void BrowserPane::setSilent(bool silent) {
    if (browser_) {
        browser_->put_Silent(silent ? VARIANT_TRUE : VARIANT_FALSE);
    }
}

// Before the first page (and under Wine without Gecko, always) get_Document answers S_FALSE
// with a null pointer.
ComRef<IDispatch> BrowserPane::document() {
    ComRef<IDispatch> result;
    if (!browser_ || FAILED(browser_->get_Document(result.put()))) {
        result.reset();
    }
    return result;
}

// The document's "A" elements, asked for afresh each time: the user may have moved on to
// another page since the last call.
ComRef<IHTMLElementCollection> BrowserPane::anchors() {
    const ComRef<IDispatch> dispatch = document();
    const auto html = query<IHTMLDocument2>(dispatch.get(), IID_IHTMLDocument2);
    if (!html) {
        return {};
    }
    ComRef<IHTMLElementCollection> all;
    if (FAILED(html->get_all(all.put())) || !all) {
        return {};
    }
    const Bstr tagName(u"A");
    if (tagName.get() == nullptr) {
        return {};
    }
    VARIANT tag;
    VariantInit(&tag);
    tag.vt = VT_BSTR;
    tag.bstrVal = tagName.get();
    ComRef<IDispatch> tagged;
    if (FAILED(all->tags(tag, tagged.put())) || !tagged) {
        return {};
    }
    return query<IHTMLElementCollection>(tagged.get(), IID_IHTMLElementCollection);
}

ComRef<IHTMLElement> BrowserPane::anchor(int index) {
    if (index < 0) {
        return {};
    }
    const auto links = anchors();
    long length = 0;
    if (!links || FAILED(links->get_length(&length)) || index >= length) {
        return {};
    }
    // A numeric name selects by position; the second argument only matters for names that
    // match several elements.
    VARIANT position;
    VariantInit(&position);
    position.vt = VT_I4;
    position.lVal = index;
    VARIANT unused;
    VariantInit(&unused);
    unused.vt = VT_I4;
    unused.lVal = 0;
    ComRef<IDispatch> item;
    if (FAILED(links->item(position, unused, item.put())) || !item) {
        return {};
    }
    return query<IHTMLElement>(item.get(), IID_IHTMLElement);
}

int BrowserPane::linkCount() {
    if (fallback_) {
        return fallback_->linkCount();
    }
    const auto links = anchors();
    long length = 0;
    if (!links || FAILED(links->get_length(&length)) || length < 0) {
        return 0;
    }
    return length > INT_MAX ? INT_MAX : static_cast<int>(length);
}

std::string BrowserPane::linkText(int index) {
    if (fallback_) {
        return fallback_->linkText(index);
    }
    const auto element = anchor(index);
    Bstr text;
    if (!element || FAILED(element->get_innerText(text.put()))) {
        return {};
    }
    return text.utf8();
}

void BrowserPane::clickLink(int index) {
    if (fallback_) {
        fallback_->clickLink(index);
        return;
    }
    if (const auto element = anchor(index)) {
        element->click();
    }
}

std::string BrowserPane::documentText() {
    if (fallback_) {
        return fallback_->documentText();
    }
    const ComRef<IDispatch> dispatch = document();
    const auto html = query<IHTMLDocument3>(dispatch.get(), IID_IHTMLDocument3);
    if (!html) {
        return {};
    }
    ComRef<IHTMLElement> root;
    if (FAILED(html->get_documentElement(root.put())) || !root) {
        return {};
    }
    Bstr text;
    if (FAILED(root->get_innerText(text.put()))) {
        return {};
    }
    return text.utf8();
}

}  // namespace

bool htmlEngineMissing() {
    static const bool missing = noEngineUnderWine();
    return missing;
}

std::unique_ptr<Win32BrowserPane> createWebBrowserPane(HWND parent, RECT boundsInPixels) {
    return std::make_unique<BrowserPane>(parent, boundsInPixels, !htmlEngineMissing());
}

std::unique_ptr<Win32BrowserPane> createWebBrowserControlPane(HWND parent, RECT boundsInPixels) {
    return std::make_unique<BrowserPane>(parent, boundsInPixels, true);
}

}  // namespace sonorin
