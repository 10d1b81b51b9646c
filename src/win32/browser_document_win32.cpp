#include "win32/browser_document_win32.h"

#include <mshtml.h>
#include <wrl/client.h>

#include <climits>

#include "win32/bstr_win32.h"

namespace sonorin::win32 {
namespace {

using Microsoft::WRL::ComPtr;

template <class T>
ComPtr<T> query(IUnknown* from, REFIID iid) {
    ComPtr<T> result;
    if (from != nullptr && FAILED(from->QueryInterface(iid, &result))) {
        result.Reset();
    }
    return result;
}

// get_Document answers S_FALSE with a null pointer while there is none.
ComPtr<IDispatch> document(IWebBrowser2* browser) {
    ComPtr<IDispatch> result;
    if (browser == nullptr || FAILED(browser->get_Document(&result))) {
        result.Reset();
    }
    return result;
}

// The document's "A" elements.
ComPtr<IHTMLElementCollection> anchors(IWebBrowser2* browser) {
    const auto html = query<IHTMLDocument2>(document(browser).Get(), IID_IHTMLDocument2);
    if (!html) {
        return {};
    }
    ComPtr<IHTMLElementCollection> all;
    if (FAILED(html->get_all(&all)) || !all) {
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
    ComPtr<IDispatch> tagged;
    if (FAILED(all->tags(tag, &tagged)) || !tagged) {
        return {};
    }
    return query<IHTMLElementCollection>(tagged.Get(), IID_IHTMLElementCollection);
}

ComPtr<IHTMLElement> anchor(IWebBrowser2* browser, int index) {
    if (index < 0) {
        return {};
    }
    const auto links = anchors(browser);
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
    ComPtr<IDispatch> item;
    if (FAILED(links->item(position, unused, &item)) || !item) {
        return {};
    }
    return query<IHTMLElement>(item.Get(), IID_IHTMLElement);
}

}  // namespace

bool hasDocument(IWebBrowser2* browser) {
    return static_cast<bool>(document(browser));
}

int documentLinkCount(IWebBrowser2* browser) {
    const auto links = anchors(browser);
    long length = 0;
    if (!links || FAILED(links->get_length(&length)) || length < 0) {
        return 0;
    }
    return length > INT_MAX ? INT_MAX : static_cast<int>(length);
}

std::string documentLinkText(IWebBrowser2* browser, int index) {
    const auto element = anchor(browser, index);
    Bstr text;
    if (!element || FAILED(element->get_innerText(text.put()))) {
        return {};
    }
    return text.utf8();
}

void clickDocumentLink(IWebBrowser2* browser, int index) {
    if (const auto element = anchor(browser, index)) {
        element->click();
    }
}

std::string documentText(IWebBrowser2* browser) {
    const auto html = query<IHTMLDocument3>(document(browser).Get(), IID_IHTMLDocument3);
    if (!html) {
        return {};
    }
    ComPtr<IHTMLElement> root;
    if (FAILED(html->get_documentElement(&root)) || !root) {
        return {};
    }
    Bstr text;
    if (FAILED(root->get_innerText(text.put()))) {
        return {};
    }
    return text.utf8();
}

void reloadDocumentFrames(IWebBrowser2* browser) {
    const auto html = query<IHTMLDocument2>(document(browser).Get(), IID_IHTMLDocument2);
    ComPtr<IHTMLFramesCollection2> frames;
    long count = 0;
    if (!html || FAILED(html->get_frames(&frames)) || !frames ||
        FAILED(frames->get_length(&count))) {
        return;
    }
    for (long i = 0; i < count; ++i) {
        VARIANT position;
        VariantInit(&position);
        position.vt = VT_I4;
        position.lVal = i;
        VARIANT frame;
        VariantInit(&frame);
        if (FAILED(frames->item(&position, &frame))) {
            continue;
        }
        const auto window = frame.vt == VT_DISPATCH
                                ? query<IHTMLWindow2>(frame.pdispVal, IID_IHTMLWindow2)
                                : ComPtr<IHTMLWindow2>();
        ComPtr<IHTMLLocation> location;
        if (window && SUCCEEDED(window->get_location(&location)) && location) {
            location->reload(VARIANT_FALSE);  // a frame that cannot reload stays as it was
        }
        VariantClear(&frame);
    }
}

}  // namespace sonorin::win32
