#include "win32/browser_site_win32.h"

#include <exdisp.h>
#include <exdispid.h>

#include <functional>
#include <new>

namespace sonorin::win32 {

using Microsoft::WRL::ComPtr;

// The count starts at 0: the ComPtr made here takes the first reference.
ComPtr<ContainerSite> ContainerSite::make(HWND window) {
    return ComPtr<ContainerSite>(new (std::nothrow) ContainerSite(window));
}

STDMETHODIMP ContainerSite::QueryInterface(REFIID iid, void** out) {
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

STDMETHODIMP_(ULONG) ContainerSite::Release() {
    const ULONG left = --refs_;
    if (left == 0) {
        delete this;
    }
    return left;
}

STDMETHODIMP ContainerSite::GetMoniker(DWORD, DWORD, IMoniker** out) {
    if (out != nullptr) {
        *out = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP ContainerSite::GetContainer(IOleContainer** out) {
    if (out != nullptr) {
        *out = nullptr;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP ContainerSite::GetWindow(HWND* out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = window_;
    return window_ != nullptr ? S_OK : E_FAIL;
}

STDMETHODIMP ContainerSite::GetWindowContext(IOleInPlaceFrame** frame,
                                             IOleInPlaceUIWindow** document, LPRECT position,
                                             LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
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

ComPtr<EventSink> EventSink::make(Browser& pane) {
    return ComPtr<EventSink>(new (std::nothrow) EventSink(pane));
}

STDMETHODIMP EventSink::QueryInterface(REFIID iid, void** out) {
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

STDMETHODIMP_(ULONG) EventSink::Release() {
    const ULONG left = --refs_;
    if (left == 0) {
        delete this;
    }
    return left;
}

STDMETHODIMP EventSink::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = 0;
    return S_OK;
}

STDMETHODIMP EventSink::GetTypeInfo(UINT, LCID, ITypeInfo** out) {
    if (out != nullptr) {
        *out = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                               UINT*) {
    if (pane_ == nullptr || (id != DISPID_DOWNLOADBEGIN && id != DISPID_DOWNLOADCOMPLETE)) {
        return S_OK;
    }
    // The pane may unadvise (and drop this sink) inside the handler.
    const ComPtr<EventSink> keepAlive(this);
    try {
        // A copy: the handler may replace itself or even destroy the pane.
        const std::function<void()> handler =
            id == DISPID_DOWNLOADBEGIN ? pane_->onDownloadBegin : pane_->onDownloadComplete;
        if (handler) {
            handler();
        }
    } catch (...) {
        // A C++ exception must not unwind through the control's frames; the event is over.
    }
    return S_OK;
}

}  // namespace sonorin::win32
