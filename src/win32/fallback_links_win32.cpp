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
void setColumnWidth(HWND list, int pixels) {
    SendMessageW(list, LB_SETCOLUMNWIDTH, static_cast<WPARAM>(pixels), 0);
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
                            WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_TABSTOP | LBS_NOTIFY |
                                LBS_NOINTEGRALHEIGHT | LBS_MULTICOLUMN,
                            0, 0, 0, 0, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!list_)
        return;
    SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    setColumnWidth(list_, MulDiv(150, dpi, 96));
    SetWindowSubclass(list_, &LinkList::listProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

// The list itself goes with its parent; from here on its messages do not reach this object.
LinkList::~LinkList() {
    if (list_)
        RemoveWindowSubclass(list_, &LinkList::listProc, kSubclassId);
}

void LinkList::show(const std::vector<radio::HtmlLink>& links) {
    if (!list_)
        return;
    std::vector<std::wstring> entries;
    for (const radio::HtmlLink& link : links)
        entries.push_back(
            wide((link.current ? "▶ " : "") + (link.text.empty() ? link.href : link.text)));
    // The same page read again: the list stays as it is, without a flicker.
    if (entries == shown_)
        return;
    // The same page with another link marked: the user's place in it stays.
    const bool samePlaces = entries.size() == shown_.size();
    const int selected = selectedEntry(list_);
    const LRESULT top = SendMessageW(list_, LB_GETTOPINDEX, 0, 0);
    setRedraw(list_, false);
    removeAll(list_);
    for (const std::wstring& entry : entries)
        addEntry(list_, entry);
    if (samePlaces) {
        if (selected >= 0)
            SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
        SendMessageW(list_, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
    }
    setRedraw(list_, true);
    InvalidateRect(list_, nullptr, TRUE);
    shown_ = std::move(entries);
}

void LinkList::move(RECT area) {
    if (list_)
        MoveWindow(list_, area.left, area.top, area.right - area.left, area.bottom - area.top,
                   TRUE);
}

// The handler runs inside the list's window procedure: a C++ exception must not unwind
// through the window system's frames, so the click is simply over.
void LinkList::click(int index) noexcept {
    try {
        if (clicked_)
            clicked_(index);
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
