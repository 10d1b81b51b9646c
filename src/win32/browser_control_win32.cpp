#include "win32/browser_control_win32.h"

#include <exdispid.h>
#include <ocidl.h>

#include "base/text.h"
#include "win32/bstr_win32.h"

namespace sonorin::win32 {

using Microsoft::WRL::ComPtr;

std::unique_ptr<WebBrowserControl> WebBrowserControl::create(HWND window, Browser& events) {
    std::unique_ptr<WebBrowserControl> control(new WebBrowserControl(window));
    if (!control->embed()) {
        return nullptr;  // the destructor tears down what was made
    }
    // Script errors and the control's own dialogs stay hidden from the first page on.
    control->browser_->put_Silent(VARIANT_TRUE);
    control->fit();
    control->listen(events);
    return control;
}

bool WebBrowserControl::embed() {
    if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                &oleObject_)) ||
        !oleObject_) {
        oleObject_.Reset();
        return false;
    }
    site_ = ContainerSite::make(window_);
    if (!site_) {
        return false;
    }
    IOleClientSite* const site = site_.Get();
    if (FAILED(oleObject_->SetClientSite(site))) {
        return false;
    }
    OleSetContainedObject(oleObject_.Get(), TRUE);
    RECT area{};
    GetClientRect(window_, &area);
    if (FAILED(oleObject_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, window_, &area))) {
        return false;
    }
    if (FAILED(oleObject_->QueryInterface(IID_IOleInPlaceObject, &inPlaceObject_))) {
        inPlaceObject_.Reset();
    }
    if (FAILED(oleObject_->QueryInterface(IID_IWebBrowser2, &browser_))) {
        browser_.Reset();
    }
    return static_cast<bool>(browser_);
}

// Events are a convenience: without them the pane still navigates and reads pages.
void WebBrowserControl::listen(Browser& events) {
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    if (FAILED(browser_->QueryInterface(IID_IConnectionPointContainer, &container)) || !container ||
        FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, &point)) || !point) {
        return;
    }
    const ComPtr<EventSink> sink = EventSink::make(events);
    if (!sink) {
        return;
    }
    DWORD cookie = 0;
    if (FAILED(point->Advise(static_cast<IDispatch*>(sink.Get()), &cookie))) {
        sink->detach();
        return;
    }
    sink_ = sink;
    connectionPoint_ = point;
    adviseCookie_ = cookie;
}

// Safe on a partly built control.
WebBrowserControl::~WebBrowserControl() {
    if (connectionPoint_) {
        connectionPoint_->Unadvise(adviseCookie_);
        connectionPoint_.Reset();
    }
    if (sink_) {
        sink_->detach();
        sink_.Reset();
    }
    browser_.Reset();
    if (inPlaceObject_) {
        inPlaceObject_->InPlaceDeactivate();
        inPlaceObject_.Reset();
    }
    if (oleObject_) {
        oleObject_->Close(OLECLOSE_NOSAVE);
        oleObject_->SetClientSite(nullptr);
        oleObject_.Reset();
    }
    if (site_) {
        site_->detach();
        site_.Reset();
    }
}

void WebBrowserControl::fit() {
    if (!inPlaceObject_) {
        return;
    }
    RECT area{};
    GetClientRect(window_, &area);
    inPlaceObject_->SetObjectRects(&area, &area);
}

void WebBrowserControl::navigate(const std::string& address) {
    const Bstr text(utf8ToUtf16(address));
    if (text.get() == nullptr) {
        return;
    }
    VARIANT url;
    VariantInit(&url);
    url.vt = VT_BSTR;
    url.bstrVal = text.get();  // still owned by `text`
    VARIANT none;
    VariantInit(&none);
    browser_->Navigate2(&url, &none, &none, &none, &none);
}

void WebBrowserControl::stop() {
    browser_->Stop();
}

void WebBrowserControl::setSilent(bool silent) {
    browser_->put_Silent(silent ? VARIANT_TRUE : VARIANT_FALSE);
}

}  // namespace sonorin::win32
