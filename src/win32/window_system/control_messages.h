// Typed forms of the messages the window system sends to its controls, so that the callers
// read as what they do and the casts of WPARAM and LPARAM live in one place. Texts are UTF-8.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win32/form_resized_win32.h"
#include "win32/wide.h"

namespace sonorin::win32::msg {

inline LRESULT send(HWND h, UINT message, WPARAM wp = 0, LPARAM lp = 0) {
    return SendMessageW(h, message, wp, lp);
}
template <typename T>
LPARAM pointer(T* p) {
    return reinterpret_cast<LPARAM>(p);
}

// --- every window ---
inline void setText(HWND h, std::string_view text) {
    SetWindowTextW(h, wide(text).c_str());
}
inline std::string text(HWND h) {
    const int length = GetWindowTextLengthW(h);
    std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
    buffer.resize(static_cast<std::size_t>(GetWindowTextW(h, buffer.data(), length + 1)));
    return narrow(buffer);
}
inline void setFont(HWND h, HFONT font) {
    send(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}
// Every window inside the form, however deep (see formResizedMessage).
inline void tellFormResized(HWND form) {
    EnumChildWindows(
        form,
        [](HWND child, LPARAM) {
            send(child, formResizedMessage());
            return TRUE;
        },
        0);
}
inline void setRedraw(HWND h, bool on) {
    send(h, WM_SETREDRAW, on ? TRUE : FALSE);
}

// --- buttons and statics ---
inline void setChecked(HWND h, bool checked) {
    send(h, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED);
}
inline void setIcon(HWND h, HICON icon) {
    send(h, STM_SETICON, reinterpret_cast<WPARAM>(icon));
}

// --- slider and progress bar ---
inline void sliderSetMax(HWND h, int max) {
    send(h, TBM_SETRANGEMAX, TRUE, max);
}
inline void sliderSetPos(HWND h, int pos) {
    send(h, TBM_SETPOS, TRUE, pos);
}
inline int sliderPos(HWND h) {
    return static_cast<int>(send(h, TBM_GETPOS));
}
inline void progressSetPos(HWND h, int pos) {
    send(h, PBM_SETPOS, static_cast<WPARAM>(pos));
}

// --- combo box ---
inline void comboClear(HWND h) {
    send(h, CB_RESETCONTENT);
}
inline void comboAddItem(HWND h, std::string_view item) {
    const std::wstring text = wide(item);
    send(h, CB_ADDSTRING, 0, pointer(text.c_str()));
}
inline void comboSetCurrent(HWND h, int index) {
    send(h, CB_SETCURSEL, static_cast<WPARAM>(index));
}
inline int comboCurrent(HWND h) {
    return static_cast<int>(send(h, CB_GETCURSEL));
}
// Leaves the caret at the end of the edit field with nothing selected.
inline void comboDeselectText(HWND h) {
    send(h, CB_SETEDITSEL, 0, MAKELPARAM(-1, -1));
}

// --- list view (report view) ---
inline void listSetExtendedStyle(HWND h, DWORD mask, DWORD style) {
    send(h, LVM_SETEXTENDEDLISTVIEWSTYLE, mask, style);
}
inline void listDeleteColumns(HWND h) {
    while (send(h, LVM_DELETECOLUMN, 0))
        ;
}
inline void listInsertColumn(HWND h, int index, std::string_view caption, int width) {
    std::wstring text = wide(caption);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = text.data();
    column.cx = width;
    column.iSubItem = index;
    send(h, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), pointer(&column));
}
inline void listSetColumnWidth(HWND h, int index, int width) {
    send(h, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(index), width);
}
inline void listDeleteRows(HWND h) {
    send(h, LVM_DELETEALLITEMS);
}
inline void listInsertRow(HWND h, int row, std::string_view firstText) {
    std::wstring text = wide(firstText);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = text.data();
    send(h, LVM_INSERTITEMW, 0, pointer(&item));
}
inline void listSetText(HWND h, int row, int column, std::string_view cell) {
    std::wstring text = wide(cell);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text.data();
    send(h, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), pointer(&item));
}
inline void listSetRowState(HWND h, int row, bool selected, bool focused) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = (selected ? LVIS_SELECTED : 0) | (focused ? LVIS_FOCUSED : 0);
    send(h, LVM_SETITEMSTATE, static_cast<WPARAM>(row), pointer(&item));
}
inline int listRowCount(HWND h) {
    return static_cast<int>(send(h, LVM_GETITEMCOUNT));
}
inline bool listRowSelected(HWND h, int row) {
    return send(h, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) != 0;
}
// The focused row, -1 when none.
inline int listFocusedRow(HWND h) {
    return static_cast<int>(send(h, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}
// The row at a point of the list's client area, -1 over empty space.
inline int listRowAt(HWND h, POINT at) {
    LVHITTESTINFO hit{};
    hit.pt = at;
    send(h, LVM_SUBITEMHITTEST, 0, pointer(&hit));
    return (hit.flags & LVHT_ONITEM) ? hit.iItem : -1;
}

// --- status bar ---
// Right edges of the parts in pixels; -1 runs the last one to the bar's end.
inline void statusSetParts(HWND h, const std::vector<int>& edges) {
    send(h, SB_SETPARTS, edges.size(), pointer(edges.data()));
}
inline void statusSetText(HWND h, int part, std::string_view text) {
    const std::wstring wideText = wide(text);
    send(h, SB_SETTEXTW, static_cast<WPARAM>(part), pointer(wideText.c_str()));
}
// The tool tip of a part, shown when its text does not fit (the bar needs SBARS_TOOLTIPS).
inline void statusSetTipText(HWND h, int part, std::string_view text) {
    const std::wstring wideText = wide(text);
    send(h, SB_SETTIPTEXTW, static_cast<WPARAM>(part), pointer(wideText.c_str()));
}
// A status bar places itself along its parent's bottom edge when told the parent's size
// changed.
inline void statusFollowParent(HWND h) {
    send(h, WM_SIZE);
}

// --- date-time picker ---
inline void pickerSetTime(HWND h, const SYSTEMTIME& time) {
    send(h, DTM_SETSYSTEMTIME, GDT_VALID, pointer(&time));
}
inline std::optional<SYSTEMTIME> pickerTime(HWND h) {
    SYSTEMTIME time{};
    if (send(h, DTM_GETSYSTEMTIME, 0, pointer(&time)) != GDT_VALID)
        return std::nullopt;
    return time;
}
// Redraws the field in the format its style names.
inline void pickerUseStyleFormat(HWND h) {
    send(h, DTM_SETFORMATW);
}

// --- tool tips ---
inline void toolTipRemove(HWND tip, TOOLINFOW& tool) {
    send(tip, TTM_DELTOOLW, 0, pointer(&tool));
}
inline void toolTipAdd(HWND tip, TOOLINFOW& tool) {
    send(tip, TTM_ADDTOOLW, 0, pointer(&tool));
}
inline void toolTipRelay(HWND tip, MSG& message) {
    send(tip, TTM_RELAYEVENT, 0, pointer(&message));
}

}  // namespace sonorin::win32::msg
