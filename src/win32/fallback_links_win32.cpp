#include "win32/fallback_links_win32.h"

#include <commctrl.h>

#include <utility>

#include "win32/wide.h"

namespace sonorin::win32 {
namespace {

constexpr UINT_PTR kSubclassId = 1;

// The list box's messages, typed.
void setRedraw(HWND list, bool redraw) {
    SendMessageW(list, WM_SETREDRAW, redraw ? TRUE : FALSE, 0);
}
void removeAll(HWND list) {
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
}
void addEntry(HWND list, const std::wstring& text) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
void setLineHeight(HWND list, int pixels) {
    SendMessageW(list, LB_SETITEMHEIGHT, 0, static_cast<LPARAM>(pixels));
}
std::wstring entryText(HWND list, UINT entry) {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, entry, 0);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got =
        SendMessageW(list, LB_GETTEXT, entry, reinterpret_cast<LPARAM>(text.data()));
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}
int fontHeight(HWND window, HFONT font) {
    const ScopedHdc dc(window);
    TEXTMETRICW metrics{};
    if (!dc)
        return 0;
    const HGDIOBJ old = SelectObject(dc.get(), font);
    const bool measured = GetTextMetricsW(dc.get(), &metrics) != FALSE;
    SelectObject(dc.get(), old);
    return measured ? metrics.tmHeight : 0;
}
// The entry under a point given as a mouse message's lParam; -1 when none is.
int entryAt(HWND list, LPARAM point) {
    const LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, point);
    return HIWORD(hit) == 0 ? static_cast<int>(LOWORD(hit)) : -1;
}
// -1 when none is selected.
int selectedEntry(HWND list) {
    return static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
}

}  // namespace

LinkList::LinkList(HWND parent, HFONT font, int dpi, ClickHandler clicked)
    : clicked_(std::move(clicked)) {
    list_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY |
                                LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS,
                            0, 0, 0, 0, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!list_)
        return;
    font_ = font;
    SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    LOGFONTW bold{};
    if (font && GetObjectW(font, sizeof bold, &bold) == sizeof bold) {
        bold.lfWeight = FW_BOLD;
        headingFont_.reset(CreateFontIndirectW(&bold));
    }
    const int text = fontHeight(list_, font);
    setLineHeight(list_, (text > 0 ? text : MulDiv(16, dpi, 96)) + MulDiv(6, dpi, 96));
    indent_ = MulDiv(16, dpi, 96);
    SetWindowSubclass(list_, &LinkList::listProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

// The list itself goes with its parent; from here on its messages do not reach this object.
LinkList::~LinkList() {
    if (list_)
        RemoveWindowSubclass(list_, &LinkList::listProc, kSubclassId);
}

void LinkList::show(const std::vector<radio::PageView::Entry>& view, bool samePage) {
    if (!list_)
        return;
    std::vector<std::wstring> entries;
    std::vector<int> linkOf;
    for (const radio::PageView::Entry& entry : view) {
        entries.push_back(wide(entry.text));
        linkOf.push_back(entry.link);
    }
    // The same page read again: the list stays as it is, without a flicker.
    if (entries == shown_ && linkOf == links_)
        return;
    // The same page read again with another link marked, or the same number of entries: the
    // user's place in it (what is scrolled into view, what is selected) stays.
    const bool keepPlace = samePage || entries.size() == shown_.size();
    const int selected = selectedEntry(list_);
    const LRESULT top = SendMessageW(list_, LB_GETTOPINDEX, 0, 0);
    setRedraw(list_, false);
    removeAll(list_);
    for (const std::wstring& entry : entries)
        addEntry(list_, entry);
    if (keepPlace) {
        if (selected >= 0 && static_cast<std::size_t>(selected) < entries.size())
            SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
        SendMessageW(list_, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
    }
    setRedraw(list_, true);
    InvalidateRect(list_, nullptr, TRUE);
    shown_ = std::move(entries);
    links_ = std::move(linkOf);
}

void LinkList::move(RECT area) {
    if (list_)
        MoveWindow(list_, area.left, area.top, area.right - area.left, area.bottom - area.top,
                   TRUE);
}

void LinkList::draw(const DRAWITEMSTRUCT& item) {
    if (item.hwndItem != list_ || item.itemID >= links_.size())
        return;
    const bool heading = links_[item.itemID] < 0;
    const bool selected = (item.itemState & ODS_SELECTED) && !heading;
    HDC dc = item.hDC;
    FillRect(dc, &item.rcItem,
             GetSysColorBrush(selected  ? COLOR_HIGHLIGHT
                              : heading ? COLOR_BTNFACE
                                        : COLOR_WINDOW));
    const HGDIOBJ oldFont = SelectObject(dc, heading && headingFont_ ? headingFont_.get() : font_);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour =
        SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT text = item.rcItem;
    text.left += heading ? indent_ / 3 : indent_;
    text.right -= indent_ / 3;
    const std::wstring caption = entryText(list_, item.itemID);
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
    if ((item.itemState & ODS_FOCUS) && !heading)
        DrawFocusRect(dc, &item.rcItem);
}

// The handler runs inside the list's window procedure: a C++ exception must not unwind
// through the window system's frames, so the click is simply over. A heading is no link.
void LinkList::click(int entry) noexcept {
    try {
        if (clicked_ && entry >= 0 && static_cast<std::size_t>(entry) < links_.size() &&
            links_[entry] >= 0)
            clicked_(links_[entry]);
    } catch (...) {
    }
}

LRESULT CALLBACK LinkList::listProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR data) {
    auto* self = reinterpret_cast<LinkList*>(data);
    switch (message) {
        case WM_LBUTTONDBLCLK:
            self->doubleClicked_ = true;
            break;
        case WM_LBUTTONUP: {
            const LRESULT result = DefSubclassProc(list, message, wParam, lParam);
            const int entry = entryAt(list, lParam);
            if (!std::exchange(self->doubleClicked_, false) && entry >= 0)
                self->click(entry);
            return result;
        }
        case WM_KEYDOWN:
            if (wParam == VK_RETURN) {
                const int entry = selectedEntry(list);
                if (entry >= 0)
                    self->click(entry);
                return 0;
            }
            break;
        case WM_GETDLGCODE:
            // Enter belongs to the list, not to a dialog around it.
            return DefSubclassProc(list, message, wParam, lParam) | DLGC_WANTALLKEYS;
        case WM_NCDESTROY:
            RemoveWindowSubclass(list, &LinkList::listProc, kSubclassId);
            self->list_ = nullptr;
            break;
        default:
            break;
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

}  // namespace sonorin::win32
