#include "driver.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <map>

namespace sonorin::driver {
namespace {

bool is_class(HWND hwnd, const wchar_t* name) {
    return _wcsicmp(class_of(hwnd).c_str(), name) == 0;
}

std::wstring caption_of(HWND hwnd) {
    // Reads the stored caption without sending a message, so a busy program can't stall a listing.
    wchar_t caption[512] = {};
    InternalGetWindowText(hwnd, caption, 512);
    return caption;
}

JsonLine describe_top(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    RECT r{};
    GetWindowRect(hwnd, &r);
    RECT client{};
    GetClientRect(hwnd, &client);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    JsonLine line;
    line.add("hwnd", hwnd)
        .add("pid", static_cast<long long>(pid))
        .add("left", static_cast<long long>(r.left))
        .add("top", static_cast<long long>(r.top))
        .add("width", static_cast<long long>(r.right - r.left))
        .add("height", static_cast<long long>(r.bottom - r.top))
        .add("client_left", static_cast<long long>(client.left))  // on the screen
        .add("client_top", static_cast<long long>(client.top))
        .add("client_right", static_cast<long long>(client.right))
        .add("client_bottom", static_cast<long long>(client.bottom))
        .add("class", class_of(hwnd))
        .add("caption", caption_of(hwnd))
        .add("visible", IsWindowVisible(hwnd) != FALSE)
        .add("enabled", IsWindowEnabled(hwnd) != FALSE)
        .add("minimized", IsIconic(hwnd) != FALSE)
        .add("owner", GetWindow(hwnd, GW_OWNER));
    return line;
}

std::vector<std::wstring> combo_items(HWND combo, bool list_box) {
    UINT count_msg = list_box ? LB_GETCOUNT : CB_GETCOUNT;
    UINT length_msg = list_box ? LB_GETTEXTLEN : CB_GETLBTEXTLEN;
    UINT text_msg = list_box ? LB_GETTEXT : CB_GETLBTEXT;
    std::vector<std::wstring> items;
    LRESULT count = send(combo, count_msg, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = send(combo, length_msg, static_cast<WPARAM>(i), 0);
        std::wstring item(static_cast<size_t>(length < 0 ? 0 : length) + 1, L'\0');
        send(combo, text_msg, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
        item.resize(wcslen(item.c_str()));
        items.push_back(item);
    }
    return items;
}

JsonLine describe_control(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);  // screen coordinates, for real mouse clicks
    JsonLine line;
    line.add("hwnd", hwnd)
        .add("left", static_cast<long long>(r.left))
        .add("top", static_cast<long long>(r.top))
        .add("width", static_cast<long long>(r.right - r.left))
        .add("height", static_cast<long long>(r.bottom - r.top))
        .add("id", static_cast<long long>(GetDlgCtrlID(hwnd)))
        .add("class", class_of(hwnd))
        .add("text", text_of(hwnd))
        .add("visible", IsWindowVisible(hwnd) != FALSE)
        .add("enabled", IsWindowEnabled(hwnd) != FALSE)
        .add("parent", GetParent(hwnd));
    wchar_t registered[256] = {};
    GetClassNameW(hwnd, registered, 256);
    line.add("window_class", std::wstring(registered))
        .raw("rect", "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                         std::to_string(r.right) + "," + std::to_string(r.bottom) + "]");
    if (is_class(hwnd, L"Button")) {
        line.add("checked", static_cast<long long>(send(hwnd, BM_GETCHECK, 0, 0)));
    } else if (is_class(hwnd, L"ComboBox") || is_class(hwnd, L"ListBox")) {
        bool list_box = is_class(hwnd, L"ListBox");
        line.add("items", combo_items(hwnd, list_box));
        line.add("selected",
                 static_cast<long long>(send(hwnd, list_box ? LB_GETCURSEL : CB_GETCURSEL, 0, 0)));
    } else if (is_class(hwnd, PROGRESS_CLASSW)) {
        line.add("pos", static_cast<long long>(send(hwnd, PBM_GETPOS, 0, 0)));
    } else if (is_class(hwnd, TRACKBAR_CLASSW)) {
        line.add("pos", static_cast<long long>(send(hwnd, TBM_GETPOS, 0, 0)));
    }
    return line;
}

long long to_number(const std::wstring& text, const char* what) {
    wchar_t* end = nullptr;
    long long value = std::wcstoll(text.c_str(), &end, 0);
    if (text.empty() || *end != L'\0') {
        throw Failure(std::string(what) + " must be a number, not \"" + utf8(text) + "\"");
    }
    return value;
}

void press(HWND button) {
    if (!IsWindowEnabled(button)) {
        throw Failure("button \"" + utf8(text_of(button)) + "\" is disabled");
    }
    // Posted, not sent: the click may open a modal box, and the driver must not wait for it.
    PostMessageW(button, BM_CLICK, 0, 0);
}

int cmd_windows(const std::vector<std::wstring>& args) {
    bool visible_only = !args.empty() && args[0] == L"--visible";
    for (HWND hwnd : top_windows()) {
        if (!visible_only || IsWindowVisible(hwnd)) {
            describe_top(hwnd).print();
        }
    }
    return 0;
}

int cmd_wait_window(const std::vector<std::wstring>& args) {
    const std::wstring& caption = args.at(0);
    DWORD limit = static_cast<DWORD>(to_number(args.at(1), "the time-out"));
    std::wstring class_name = args.size() > 2 ? args[2] : L"";
    DWORD start = GetTickCount();
    for (;;) {
        for (HWND hwnd : top_windows()) {
            if (IsWindowVisible(hwnd) && caption_of(hwnd) == caption &&
                (class_name.empty() || class_of(hwnd) == class_name)) {
                describe_top(hwnd).print();
                return 0;
            }
        }
        if (GetTickCount() - start >= limit) {
            throw Failure("no visible window \"" + utf8(caption) + "\" after " +
                          std::to_string(limit) + " ms");
        }
        Sleep(50);
    }
}

int cmd_controls(const std::vector<std::wstring>& args) {
    for (HWND child : child_windows(find_top_window(args.at(0)))) {
        try {
            describe_control(child).print();
        } catch (const Failure&) {
            // A child that went while the list was read (a pane replacing its control) is
            // simply no longer there.
            if (IsWindow(child)) {
                throw;
            }
        }
    }
    return 0;
}

int cmd_click(const std::vector<std::wstring>& args) {
    HWND window = find_top_window(args.at(0));
    const std::wstring& wanted = args.at(1);
    HWND found = nullptr;
    for (HWND child : child_windows(window)) {
        if (!is_class(child, L"Button")) {
            continue;
        }
        std::wstring text = text_of(child);
        if (text == wanted || without_accelerator(text) == wanted) {
            found = child;
            if (IsWindowVisible(child)) {
                break;
            }
        }
    }
    if (found == nullptr) {
        throw Failure("no button \"" + utf8(wanted) + "\"");
    }
    press(found);
    return 0;
}

int cmd_click_id(const std::vector<std::wstring>& args) {
    press(find_child(find_top_window(args.at(0)), args.at(1), L"Button"));
    return 0;
}

int cmd_set_text(const std::vector<std::wstring>& args) {
    HWND control = find_child(find_top_window(args.at(0)), args.at(1));
    // An editable combo box is typed into through its edit field. Typing makes the combo box
    // tell its parent (CBN_EDITCHANGE); text set by message does not, so send that as well.
    if (is_class(control, L"ComboBox")) {
        HWND edit = FindWindowExW(control, nullptr, L"Edit", nullptr);
        if (edit == nullptr) {
            throw Failure("the combo box has no edit field");
        }
        send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args.at(2).c_str()));
        PostMessageW(GetParent(control), WM_COMMAND,
                     MAKEWPARAM(GetDlgCtrlID(control), CBN_EDITCHANGE),
                     reinterpret_cast<LPARAM>(control));
        return 0;
    }
    // WM_SETTEXT makes an edit control send EN_CHANGE, as typing would.
    if (!send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args.at(2).c_str()))) {
        throw Failure("the control refused the text");
    }
    return 0;
}

int cmd_select(const std::vector<std::wstring>& args) {
    HWND combo = find_child(find_top_window(args.at(0)), args.at(1));
    bool list_box = is_class(combo, L"ListBox");
    UINT find_msg = list_box ? LB_FINDSTRINGEXACT : CB_FINDSTRINGEXACT;
    LRESULT index = send(combo, find_msg, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(args.at(2).c_str()));
    if (index < 0) {
        throw Failure("no item \"" + utf8(args.at(2)) + "\"");
    }
    send(combo, list_box ? LB_SETCURSEL : CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // Selecting by message sends no notification; a user's pick does, so send it as well.
    WORD code = list_box ? LBN_SELCHANGE : CBN_SELCHANGE;
    PostMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), code),
                 reinterpret_cast<LPARAM>(combo));
    return 0;
}

int cmd_get_text(const std::vector<std::wstring>& args) {
    HWND hwnd = parse_handle(args.at(0));
    if (hwnd == nullptr || !IsWindow(hwnd)) {
        throw Failure("no window " + utf8(args.at(0)));
    }
    JsonLine().add("hwnd", hwnd).add("text", text_of(hwnd)).print();
    return 0;
}

int cmd_statusbar(const std::vector<std::wstring>& args) {
    HWND bar = find_child_of_class(find_top_window(args.at(0)), STATUSCLASSNAMEW);
    if (bar == nullptr) {
        throw Failure("the window has no status bar");
    }
    LRESULT parts = send(bar, SB_GETPARTS, 0, 0);
    std::vector<std::wstring> panels;
    RemoteBuffer buffer(bar, 8192);
    for (LRESULT i = 0; i < parts; ++i) {
        size_t length = LOWORD(send(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(i), 0));
        length = std::min<size_t>(length, 8192 / sizeof(wchar_t) - 1);
        buffer.clear();
        send(bar, SB_GETTEXTW, static_cast<WPARAM>(i), buffer.address());
        std::wstring text(length, L'\0');
        buffer.read(text.data(), length * sizeof(wchar_t));
        panels.push_back(text);
    }
    JsonLine().add("hwnd", bar).add("panels", panels).print();
    return 0;
}

int cmd_trackbar(const std::vector<std::wstring>& args) {
    bool any = false;
    for (HWND child : child_windows(find_top_window(args.at(0)))) {
        if (is_class(child, TRACKBAR_CLASSW)) {
            any = true;
            JsonLine()
                .add("hwnd", child)
                .add("id", static_cast<long long>(GetDlgCtrlID(child)))
                .add("pos", static_cast<long long>(send(child, TBM_GETPOS, 0, 0)))
                .add("min", static_cast<long long>(send(child, TBM_GETRANGEMIN, 0, 0)))
                .add("max", static_cast<long long>(send(child, TBM_GETRANGEMAX, 0, 0)))
                .print();
        }
    }
    if (!any) {
        throw Failure("the window has no slider");
    }
    return 0;
}

int cmd_listview(const std::vector<std::wstring>& args) {
    HWND list = find_child_of_class(find_top_window(args.at(0)), WC_LISTVIEWW);
    if (list == nullptr) {
        throw Failure("the window has no list view");
    }
    HWND header = reinterpret_cast<HWND>(send(list, LVM_GETHEADER, 0, 0));
    LRESULT columns = header ? send(header, HDM_GETITEMCOUNT, 0, 0) : 1;
    LRESULT rows = send(list, LVM_GETITEMCOUNT, 0, 0);
    constexpr size_t kTextChars = 1024;
    RemoteBuffer buffer(list, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
    std::string json_rows = "[";
    std::string selected = "[";
    for (LRESULT row = 0; row < rows; ++row) {
        std::string cells = "[";
        for (LRESULT column = 0; column < std::max<LRESULT>(columns, 1); ++column) {
            LVITEMW item{};
            item.iSubItem = static_cast<int>(column);
            item.cchTextMax = kTextChars;
            item.pszText = reinterpret_cast<LPWSTR>(buffer.address() + sizeof(LVITEMW));
            buffer.clear();
            buffer.write(&item, sizeof item);
            LRESULT length =
                send(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), buffer.address());
            std::wstring text(static_cast<size_t>(std::clamp<LRESULT>(length, 0, kTextChars - 1)),
                              L'\0');
            buffer.read(text.data(), text.size() * sizeof(wchar_t), sizeof(LVITEMW));
            append_element(cells, quote(utf8(text)));
        }
        append_element(json_rows, cells + "]");
        if (send(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED)) {
            append_element(selected, std::to_string(row));
        }
    }
    JsonLine()
        .add("hwnd", list)
        .raw("rows", json_rows + "]")
        .raw("selected", selected + "]")
        .print();
    return 0;
}

bool is_message_box(HWND hwnd) {
    return IsWindowVisible(hwnd) && is_class(hwnd, L"#32770");
}

int cmd_msgbox(const std::vector<std::wstring>&) {
    for (HWND box : top_windows()) {
        if (!is_message_box(box)) {
            continue;
        }
        HWND text = GetDlgItem(box, 0xFFFF);
        std::string buttons = "[";
        for (HWND child : child_windows(box)) {
            if (is_class(child, L"Button") && IsWindowVisible(child)) {
                append_element(buttons, JsonLine()
                                            .add("id", static_cast<long long>(GetDlgCtrlID(child)))
                                            .add("text", text_of(child))
                                            .str());
            }
        }
        JsonLine()
            .add("hwnd", box)
            .add("owner", GetWindow(box, GW_OWNER))
            .add("title", caption_of(box))
            .add("text", text ? text_of(text) : std::wstring())
            .raw("buttons", buttons + "]")
            .print();
    }
    return 0;
}

int cmd_answer(const std::vector<std::wstring>& args) {
    HWND box = parse_handle(args.at(0));
    if (box == nullptr) {
        for (HWND hwnd : top_windows()) {
            if (is_message_box(hwnd) && caption_of(hwnd) == args[0]) {
                box = hwnd;
                break;
            }
        }
    }
    if (box == nullptr || !IsWindow(box)) {
        throw Failure("no message box \"" + utf8(args[0]) + "\"");
    }
    int id = static_cast<int>(to_number(args.at(1), "the answer"));
    HWND button = GetDlgItem(box, id);
    if (button == nullptr) {
        throw Failure("the box has no button with id " + std::to_string(id));
    }
    press(button);
    return 0;
}

int post_to_window(const std::vector<std::wstring>& args, UINT msg, WPARAM wparam) {
    PostMessageW(find_top_window(args.at(0)), msg, wparam, 0);
    return 0;
}

std::wstring menu_text(HMENU menu, UINT position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    if (!GetMenuItemInfoW(menu, position, TRUE, &info) || info.cch == 0) {
        return {};
    }
    std::wstring text(info.cch + 1, L'\0');
    info.dwTypeData = text.data();
    info.cch = static_cast<UINT>(text.size());
    GetMenuItemInfoW(menu, position, TRUE, &info);
    text.resize(wcslen(text.c_str()));
    return text;
}

// The caption as written, as shown (no '&'), without the shortcut-key text after a tab, or
// without a trailing access key such as "(&A)".
bool menu_caption_matches(std::wstring text, const std::wstring& wanted) {
    if (size_t tab = text.find(L'\t'); tab != std::wstring::npos) {
        text.resize(tab);
    }
    if (text == wanted || without_accelerator(text) == wanted) {
        return true;
    }
    size_t n = text.size();
    return n > 4 && text.compare(n - 4, 2, L"(&") == 0 && text[n - 1] == L')' &&
           text.substr(0, n - 4) == wanted;
}

bool find_menu_item(HMENU menu, const std::wstring& wanted, UINT& id,
                    std::vector<std::wstring>& seen) {
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STATE;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) {
            continue;
        }
        std::wstring text = menu_text(menu, static_cast<UINT>(i));
        seen.push_back(text);
        if (info.hSubMenu == nullptr && menu_caption_matches(text, wanted)) {
            if (info.fState & MFS_DISABLED) {
                throw Failure("menu entry \"" + utf8(wanted) + "\" is disabled");
            }
            id = info.wID;
            return true;
        }
        if (info.hSubMenu != nullptr && find_menu_item(info.hSubMenu, wanted, id, seen)) {
            return true;
        }
    }
    return false;
}

void post_key(HWND hwnd, UINT key) {
    PostMessageW(hwnd, WM_KEYDOWN, key, 1);
    PostMessageW(hwnd, WM_KEYUP, key, 0xC0000001);
}

// "2/3": the third entry of the second menu, counted as the user sees them (separators and
// hidden entries don't count). Chosen with the keyboard, as a user without a mouse would:
// the menu loop of the program then sends the command itself.
bool parse_menu_position(const std::wstring& text, int& menu, int& entry) {
    wchar_t* end = nullptr;
    menu = static_cast<int>(std::wcstol(text.c_str(), &end, 10));
    if (end == text.c_str() || *end != L'/') {
        return false;
    }
    const wchar_t* rest = end + 1;
    entry = static_cast<int>(std::wcstol(rest, &end, 10));
    return end != rest && *end == L'\0' && menu > 0 && entry > 0;
}

void choose_by_keyboard(HWND window, int menu, int entry) {
    PostMessageW(window, WM_SYSCOMMAND, SC_KEYMENU, 0);
    for (int i = 1; i < menu; ++i) {
        post_key(window, VK_RIGHT);
    }
    post_key(window, VK_DOWN);  // opens the menu on its first entry
    for (int i = 1; i < entry; ++i) {
        post_key(window, VK_DOWN);
    }
    post_key(window, VK_RETURN);
}

int cmd_menu(const std::vector<std::wstring>& args) {
    HWND window = find_top_window(args.at(0));
    HMENU menu = GetMenu(window);
    if (menu == nullptr) {
        throw Failure("the window has no menu bar");
    }
    int menu_number = 0;
    int entry_number = 0;
    if (parse_menu_position(args.at(1), menu_number, entry_number)) {
        choose_by_keyboard(window, menu_number, entry_number);
        return 0;
    }
    UINT id = 0;
    std::vector<std::wstring> seen;
    if (!find_menu_item(menu, args[1], id, seen)) {
        if (GetMenuItemCount(menu) < 0) {
            // Wine keeps a menu inside the process that made it; Windows shares it.
            throw Failure(
                "the menus of another process can't be read here; name the entry by "
                "its position instead, as menu/entry (\"3/1\": first entry of the "
                "third menu)");
        }
        std::string list;
        for (const auto& text : seen) {
            if (!list.empty()) {
                list += ", ";
            }
            list += utf8(text);
        }
        throw Failure("no menu entry \"" + utf8(args[1]) + "\" (entries: " + list + ")");
    }
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    return 0;
}

// Chooses an entry of the open shortcut menu (a tray menu, for instance) by its position.
int cmd_popup(const std::vector<std::wstring>& args) {
    int entry = static_cast<int>(to_number(args.at(0), "the entry number"));
    HWND popup = nullptr;
    for (HWND hwnd : top_windows()) {
        if (IsWindowVisible(hwnd) && is_class(hwnd, L"#32768")) {
            popup = hwnd;
            break;
        }
    }
    if (popup == nullptr) {
        throw Failure("no menu is open");
    }
    if (entry < 1) {
        throw Failure("entries are counted from 1");
    }
    // A fresh shortcut menu has no entry selected: the first Down selects the first entry.
    for (int i = 0; i < entry; ++i) {
        post_key(popup, VK_DOWN);
    }
    post_key(popup, VK_RETURN);
    return 0;
}

// Any message, posted: the tray icon's callback message, for instance.
int cmd_hide(const std::vector<std::wstring>& args) {
    HWND window = find_top_window(args.at(0));
    ShowWindow(window, SW_HIDE);
    return 0;
}

int cmd_right_click_row(const std::vector<std::wstring>& args) {
    HWND list = find_child_of_class(find_top_window(args.at(0)), WC_LISTVIEWW);
    if (list == nullptr) {
        throw Failure("the window has no list view");
    }
    const int row = static_cast<int>(to_number(args.at(1), "the row"));
    RemoteBuffer buffer(list, sizeof(RECT));
    RECT r{LVIR_BOUNDS, 0, 0, 0};
    buffer.write(&r, sizeof r);
    if (!send(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), buffer.address())) {
        throw Failure("no such row");
    }
    buffer.read(&r, sizeof r);
    POINT pt{r.left + 8, (r.top + r.bottom) / 2};
    POINT screen = pt;
    ClientToScreen(list, &screen);
    // The pointer goes there too: the shortcut menu opens where the pointer is.
    SetCursorPos(screen.x, screen.y);
    const LPARAM at = MAKELPARAM(pt.x, pt.y);
    PostMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, at);
    PostMessageW(list, WM_RBUTTONUP, 0, at);
    return 0;
}

int cmd_post(const std::vector<std::wstring>& args) {
    HWND window = find_top_window(args.at(0));
    UINT msg = static_cast<UINT>(to_number(args.at(1), "the message"));
    WPARAM wparam = static_cast<WPARAM>(to_number(args.at(2), "wParam"));
    LPARAM lparam = static_cast<LPARAM>(to_number(args.at(3), "lParam"));
    if (!PostMessageW(window, msg, wparam, lparam)) {
        throw Failure("the message could not be posted");
    }
    return 0;
}

// The DPI a window is drawn at and whether its program declared per-monitor (v2) awareness.
int cmd_dpi(const std::vector<std::wstring>& args) {
    HWND window = find_top_window(args.at(0));
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    auto dpi_for_window = reinterpret_cast<UINT(WINAPI*)(HWND)>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")));
    auto context_of = reinterpret_cast<DPI_AWARENESS_CONTEXT(WINAPI*)(HWND)>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetWindowDpiAwarenessContext")));
    auto awareness_of = reinterpret_cast<int(WINAPI*)(DPI_AWARENESS_CONTEXT)>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
    auto equal = reinterpret_cast<BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT, DPI_AWARENESS_CONTEXT)>(
        reinterpret_cast<void*>(GetProcAddress(user32, "AreDpiAwarenessContextsEqual")));
    if (!dpi_for_window || !context_of || !awareness_of || !equal)
        throw Failure("this system has no per-window DPI functions");
    DPI_AWARENESS_CONTEXT context = context_of(window);
    JsonLine line;
    line.add("dpi", static_cast<long long>(dpi_for_window(window)))
        .add("awareness", static_cast<long long>(awareness_of(context)))
        .add("per_monitor_v2", equal(context, DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2) != FALSE);
    line.print();
    return 0;
}

struct Command {
    size_t arguments;
    const char* usage;
    std::function<int(const std::vector<std::wstring>&)> run;
};

const std::map<std::wstring, Command>& commands() {
    static const std::map<std::wstring, Command> table = {
        {L"windows", {0, "windows [--visible]", cmd_windows}},
        {L"wait-window", {2, "wait-window <caption> <ms> [class]", cmd_wait_window}},
        {L"controls", {1, "controls <window>", cmd_controls}},
        {L"click", {2, "click <window> <button text>", cmd_click}},
        {L"click-id", {2, "click-id <window> <id>", cmd_click_id}},
        {L"set-text", {3, "set-text <window> <id|Class#n> <text>", cmd_set_text}},
        {L"select", {3, "select <window> <id|Class#n> <item text>", cmd_select}},
        {L"get-text", {1, "get-text <hwnd>", cmd_get_text}},
        {L"statusbar", {1, "statusbar <window>", cmd_statusbar}},
        {L"trackbar", {1, "trackbar <window>", cmd_trackbar}},
        {L"listview", {1, "listview <window>", cmd_listview}},
        {L"msgbox", {0, "msgbox", cmd_msgbox}},
        {L"answer", {2, "answer <box hwnd|title> <button id>", cmd_answer}},
        {L"close",
         {1, "close <window>", [](const auto& a) { return post_to_window(a, WM_CLOSE, 0); }}},
        {L"minimize",
         {1, "minimize <window>",
          [](const auto& a) { return post_to_window(a, WM_SYSCOMMAND, SC_MINIMIZE); }}},
        {L"restore",
         {1, "restore <window>",
          [](const auto& a) { return post_to_window(a, WM_SYSCOMMAND, SC_RESTORE); }}},
        {L"menu", {2, "menu <window> <entry caption | menu#/entry#>", cmd_menu}},
        {L"popup", {1, "popup <entry#>", cmd_popup}},
        {L"dpi", {1, "dpi <window>", cmd_dpi}},
        {L"post", {4, "post <window> <message> <wParam> <lParam>", cmd_post}},
        {L"hide", {1, "hide <window>", cmd_hide}},
        {L"right-click-row", {2, "right-click-row <window> <row>", cmd_right_click_row}},
    };
    return table;
}

}  // namespace

int run_command(const std::vector<std::wstring>& args) {
    auto found = args.empty() ? commands().end() : commands().find(args[0]);
    if (found == commands().end() || args.size() - 1 < found->second.arguments) {
        std::string usage =
            "usage: sonorin-driver <command> ...\n"
            "A <window> is a handle (0x1A2B) or an exact caption.\n";
        for (const auto& [name, command] : commands()) {
            usage += std::string("  ") + command.usage + "\n";
        }
        throw Failure(usage);
    }
    return found->second.run({args.begin() + 1, args.end()});
}

}  // namespace sonorin::driver
