#include "win32/window_system_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>

#include "base/text.h"
#include "win32/browser_win32.h"
#include "win32/control_classes_win32.h"
#include "win32/deferred_browser_win32.h"
#include "win32/dpi_win32.h"
#include "win32/wide.h"
#include "ui/form.h"
#include "ui/form_set.h"

namespace sonorin::win32 {
namespace {

constexpr UINT kFirstControlId = 100;
constexpr UINT kFirstMenuId = 2000;
constexpr int kAppIconId = 1;
constexpr double kComboListHeight = 3000;  // twips, about a dozen items

struct FormWindow;

SIZE clientSize(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

FormWindow* formWindowOf(HWND hwnd) {
    return reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// Native state of one form: its window, the child windows of its controls, its timers,
// menus and tool tips.
struct FormWindow {
    Win32WindowSystem& system;
    ui::Form& form;
    HWND hwnd = nullptr;
    HWND toolTip = nullptr;
    HMENU menuBar = nullptr;
    bool shownOnce = false;
    bool childrenMade = false;    // child windows are made when the window first shows
    int dpi = kDefaultDpi;        // of the monitor the window is on; twips become pixels with it
    std::optional<SIZE> laidOut;  // client size the first show's layout ran for, during it
    bool syncing = false;         // native changes being written back into the model
    bool applying = false;        // model changes being written into native controls
    std::map<UINT, ui::Control*> commands;
    std::map<ui::MenuItem*, UINT> menuIds;
    std::map<UINT_PTR, ui::Timer*> timers;
    std::map<HWND, ui::Control*> children;
    std::vector<std::unique_ptr<Win32BrowserPane>> browsers;

    FormWindow(Win32WindowSystem& s, ui::Form& f) : system(s), form(f) {}

    int px(double twips) const { return pixelsAt(twips, dpi); }

    // Made with the first tip: most windows (hidden ones always) never need one.
    HWND toolTipWindow() {
        if (!toolTip)
            toolTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                      WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
        return toolTip;
    }

    RECT pixelRect(const ui::Control& c) const {
        RECT r;
        r.left = px(c.formLeft());
        r.top = px(c.formTop());
        r.right = r.left + px(c.width());
        r.bottom = r.top + px(c.height());
        // A combo box's window includes its dropped-down list; the height set is the field's.
        if (c.kind() == ui::ControlKind::ComboBox)
            r.bottom += px(kComboListHeight);
        return r;
    }

    void appendMenu(HMENU into, ui::MenuItem& item) {
        if (!item.visible())
            return;
        if (item.isSeparator()) {
            AppendMenuW(into, MF_SEPARATOR, 0, nullptr);
            return;
        }
        UINT flags = item.enabled() ? MF_STRING : (MF_STRING | MF_GRAYED);
        std::wstring text = wide(item.caption());
        if (!item.items().empty()) {
            HMENU sub = CreatePopupMenu();
            for (ui::MenuItem* child : item.items())
                appendMenu(sub, *child);
            AppendMenuW(into, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), text.c_str());
        } else {
            AppendMenuW(into, flags, menuIds[&item], text.c_str());
        }
    }

    // The menu bar is small; rebuilding it on every change keeps it simple and exact.
    void rebuildMenuBar() {
        bool any = false;
        HMENU bar = CreateMenu();
        for (ui::Control* c : form.controls()) {
            auto* item = dynamic_cast<ui::MenuItem*>(c);
            if (!item || item->parent() || !item->visible())
                continue;
            appendMenu(bar, *item);
            any = true;
        }
        HMENU old = menuBar;
        if (any) {
            menuBar = bar;
        } else {
            DestroyMenu(bar);
            menuBar = nullptr;
        }
        SetMenu(hwnd, menuBar);
        if (old)
            DestroyMenu(old);
        DrawMenuBar(hwnd);
    }
};

class FormPeer : public ui::Peer {
  public:
    explicit FormPeer(FormWindow& fw) : fw_(fw) {}
    void changed(ui::Property property) override {
        if (fw_.syncing)
            return;
        HWND h = fw_.hwnd;
        ui::Form& f = fw_.form;
        switch (property) {
            case ui::Property::Caption:
                SetWindowTextW(h, wide(f.caption()).c_str());
                break;
            case ui::Property::Bounds:
                SetWindowPos(h, nullptr, fw_.px(f.left()), fw_.px(f.top()), fw_.px(f.width()),
                             fw_.px(f.height()), SWP_NOZORDER | SWP_NOACTIVATE);
                break;
            case ui::Property::Visible:
                if (f.visible()) {
                    int cmd = SW_SHOW;
                    if (!fw_.shownOnce) {
                        if (f.windowState() == ui::WindowState::Minimized)
                            cmd = SW_SHOWMINIMIZED;
                        else if (f.windowState() == ui::WindowState::Maximized)
                            cmd = SW_SHOWMAXIMIZED;
                        else
                            cmd = SW_SHOWNORMAL;
                    } else if (f.windowState() == ui::WindowState::Normal && IsIconic(h)) {
                        // Set back to normal while hidden (from the tray): show it restored.
                        cmd = SW_RESTORE;
                    }
                    // The first show runs the layout, as every later size change does. It
                    // runs before the window appears and before its child windows are made:
                    // they are made where the layout puts them (the skin draws each button
                    // once, at its size), and the window opens where the layout puts it. The
                    // show's own WM_SIZE for that size is then not a second layout.
                    if (!fw_.shownOnce && cmd == SW_SHOWNORMAL) {
                        f.Form_Resize();
                        if (!f.loaded() || !f.visible())
                            break;  // the layout closed or hid it
                        fw_.laidOut = clientSize(h);
                    }
                    fw_.system.makeChildren(h);
                    fw_.shownOnce = true;
                    ShowWindow(h, cmd);
                    fw_.laidOut.reset();
                } else {
                    ShowWindow(h, SW_HIDE);
                }
                break;
            case ui::Property::Value:  // window state
                if (!IsWindowVisible(h))
                    break;
                ShowWindow(h, f.windowState() == ui::WindowState::Minimized   ? SW_MINIMIZE
                              : f.windowState() == ui::WindowState::Maximized ? SW_MAXIMIZE
                                                                              : SW_RESTORE);
                break;
            default:
                break;
        }
    }

  private:
    FormWindow& fw_;
};

// Marks model-to-native updates, so that the notifications they cause are not taken for the
// user's doing.
class Applying {
  public:
    explicit Applying(FormWindow& fw) : fw_(fw), was_(fw.applying) { fw.applying = true; }
    ~Applying() { fw_.applying = was_; }
    Applying(const Applying&) = delete;
    Applying& operator=(const Applying&) = delete;

  private:
    FormWindow& fw_;
    bool was_;
};

class ChildPeer : public ui::Peer {
  public:
    ChildPeer(FormWindow& fw, ui::Control& control, HWND hwnd)
        : fw_(fw), control_(control), hwnd_(hwnd) {}

    void changed(ui::Property property) override {
        if (fw_.syncing)
            return;
        switch (property) {
            case ui::Property::Caption:
                SetWindowTextW(hwnd_, wide(control_.caption()).c_str());
                break;
            case ui::Property::Enabled:
                EnableWindow(hwnd_, control_.usable());
                break;
            case ui::Property::Visible:
                ShowWindow(hwnd_, control_.shown() ? SW_SHOWNA : SW_HIDE);
                break;
            case ui::Property::Bounds:
                if (control_.kind() == ui::ControlKind::StatusBar) {
                    SendMessageW(hwnd_, WM_SIZE, 0, 0);
                    applyPanels();
                } else {
                    RECT r = fw_.pixelRect(control_);
                    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                 SWP_NOZORDER | SWP_NOACTIVATE);
                    applyColumnWidths();  // the window may have moved to another DPI
                }
                break;
            case ui::Property::ToolTip:
                applyToolTip();
                break;
            case ui::Property::Value:
                applyValue();
                break;
            case ui::Property::Range:
                if (auto* s = dynamic_cast<ui::Slider*>(&control_)) {
                    SendMessageW(hwnd_, TBM_SETRANGEMAX, TRUE, s->max());
                    SendMessageW(hwnd_, TBM_SETPOS, TRUE, s->value());
                }
                break;
            case ui::Property::Panels:
                applyPanels();
                break;
            case ui::Property::Items:
                applyItems();
                break;
            case ui::Property::Text:
                applyText();
                break;
            case ui::Property::Columns:
                applyColumns();
                break;
            case ui::Property::Rows:
                applyRows();
                break;
            case ui::Property::Selection:
                applySelection();
                break;
            case ui::Property::Style:
                applyStyle();
                break;
            default:
                break;
        }
    }

    // Everything a freshly created child needs from its model.
    void applyAll() {
        applyValue();
        changed(ui::Property::Range);
        applyPanels();
        applyItems();
        applyColumns();
        applyRows();
        applyStyle();
        if (!control_.toolTip().empty())
            applyToolTip();
    }

    void applyItems() {
        auto* combo = dynamic_cast<ui::ComboBox*>(&control_);
        if (!combo)
            return;
        Applying guard(fw_);
        SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
        for (const std::string& item : combo->items()) {
            std::wstring text = wide(item);
            SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
        applyText();
    }

    void applyText() {
        Applying guard(fw_);
        if (auto* combo = dynamic_cast<ui::ComboBox*>(&control_)) {
            SendMessageW(hwnd_, CB_SETCURSEL, combo->listIndex(), 0);
            if (combo->style() == ui::ComboStyle::DropDownCombo && combo->listIndex() < 0)
                SetWindowTextW(hwnd_, wide(combo->text()).c_str());
        } else if (auto* box = dynamic_cast<ui::TextBox*>(&control_)) {
            SetWindowTextW(hwnd_, wide(box->text()).c_str());
        }
    }

    void applyColumns() {
        auto* list = dynamic_cast<ui::ListView*>(&control_);
        if (!list)
            return;
        Applying guard(fw_);
        while (SendMessageW(hwnd_, LVM_DELETECOLUMN, 0, 0))
            ;
        int index = 0;
        for (const ui::ListView::Column& column : list->columns()) {
            std::wstring text = wide(column.caption);
            LVCOLUMNW lc{};
            lc.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
            lc.pszText = text.data();
            lc.cx = fw_.px(column.width);
            lc.iSubItem = index;
            SendMessageW(hwnd_, LVM_INSERTCOLUMNW, index++, reinterpret_cast<LPARAM>(&lc));
        }
        applyRows();
    }

    void applyColumnWidths() {
        auto* list = dynamic_cast<ui::ListView*>(&control_);
        if (!list)
            return;
        int index = 0;
        for (const ui::ListView::Column& column : list->columns())
            SendMessageW(hwnd_, LVM_SETCOLUMNWIDTH, index++, fw_.px(column.width));
    }

    // The lists are a few dozen rows at most: rebuilding them keeps native and model equal.
    void applyRows() {
        auto* list = dynamic_cast<ui::ListView*>(&control_);
        if (!list)
            return;
        Applying guard(fw_);
        SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
        SendMessageW(hwnd_, LVM_DELETEALLITEMS, 0, 0);
        const int columns = std::max<int>(1, static_cast<int>(list->columns().size()));
        for (int row = 0; row < list->rowCount(); ++row) {
            std::wstring first = wide(list->text(row, 0));
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = row;
            item.pszText = first.data();
            SendMessageW(hwnd_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
            for (int column = 1; column < columns; ++column) {
                std::wstring text = wide(list->text(row, column));
                LVITEMW sub{};
                sub.iSubItem = column;
                sub.pszText = text.data();
                SendMessageW(hwnd_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&sub));
            }
        }
        applySelection();
        SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(hwnd_, nullptr, TRUE);
    }

    void applySelection() {
        auto* list = dynamic_cast<ui::ListView*>(&control_);
        if (!list)
            return;
        Applying guard(fw_);
        const int current = list->selectedItem();
        for (int row = 0; row < list->rowCount(); ++row) {
            LVITEMW item{};
            item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            item.state =
                (list->selected(row) ? LVIS_SELECTED : 0) | (row == current ? LVIS_FOCUSED : 0);
            SendMessageW(hwnd_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
        }
    }

    void setStyleBit(DWORD bit, bool on) {
        LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
        SetWindowLongPtrW(hwnd_, GWL_STYLE,
                          on ? (style | bit) : (style & ~static_cast<LONG_PTR>(bit)));
    }

    void applyStyle() {
        if (auto* list = dynamic_cast<ui::ListView*>(&control_)) {
            setStyleBit(LVS_SINGLESEL, !list->multiSelect());
            setStyleBit(WS_BORDER, list->flat() && list->border());
            LONG_PTR ex = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
            ex = list->flat() ? (ex & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE))
                              : (ex | WS_EX_CLIENTEDGE);
            SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex);
            SetWindowPos(
                hwnd_, nullptr, 0, 0, 0, 0,
                SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        } else if (auto* box = dynamic_cast<ui::TextBox*>(&control_)) {
            setStyleBit(ES_NUMBER, box->digitsOnly());
        } else if (auto* picker = dynamic_cast<ui::DateTimePicker*>(&control_)) {
            setStyleBit(DTS_SHORTDATEFORMAT | DTS_TIMEFORMAT, false);
            setStyleBit(
                picker->format() == ui::PickerFormat::Time ? DTS_TIMEFORMAT : DTS_SHORTDATEFORMAT,
                true);
            // The style alone does not redraw the field in the new format.
            SendMessageW(hwnd_, DTM_SETFORMATW, 0, 0);
            applyValue();
        }
    }

    void applyValue() {
        if (auto* o = dynamic_cast<ui::OptionButton*>(&control_)) {
            SendMessageW(hwnd_, BM_SETCHECK, o->value() ? BST_CHECKED : BST_UNCHECKED, 0);
        } else if (auto* s = dynamic_cast<ui::Slider*>(&control_)) {
            SendMessageW(hwnd_, TBM_SETPOS, TRUE, s->value());
        } else if (auto* p = dynamic_cast<ui::ProgressBar*>(&control_)) {
            SendMessageW(hwnd_, PBM_SETPOS, p->value(), 0);
        } else if (auto* i = dynamic_cast<ui::Image*>(&control_)) {
            HICON icon = nullptr;
            if (i->picture() == ui::Image::kAppIcon)
                icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kAppIconId));
            SendMessageW(hwnd_, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
        } else if (auto* picker = dynamic_cast<ui::DateTimePicker*>(&control_)) {
            Applying guard(fw_);
            SYSTEMTIME st = pickerDay();
            st.wHour = static_cast<WORD>(picker->timeOfDay() / 3600);
            st.wMinute = static_cast<WORD>(picker->timeOfDay() / 60 % 60);
            st.wSecond = static_cast<WORD>(picker->timeOfDay() % 60);
            SendMessageW(hwnd_, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
        }
    }

    // The date a time-of-day picker carries along: only its time is ever read.
    static SYSTEMTIME pickerDay() {
        SYSTEMTIME st{};
        GetLocalTime(&st);
        st.wMilliseconds = 0;
        return st;
    }

    void applyToolTip() {
        std::wstring text = wide(control_.toolTip());
        if (text.empty() && !fw_.toolTip)
            return;
        const HWND tip = fw_.toolTipWindow();
        if (!tip)
            return;
        TOOLINFOW ti{};
        ti.cbSize = TTTOOLINFOW_V1_SIZE;
        // No TTF_SUBCLASS: the message loops relay the pointer messages (relayToToolTip).
        // Subclassing put a property look-up, a wineserver round trip under Wine, in front
        // of every message each of these controls receives.
        ti.uFlags = TTF_IDISHWND;
        ti.hwnd = fw_.hwnd;
        ti.uId = reinterpret_cast<UINT_PTR>(hwnd_);
        ti.lpszText = text.data();
        SendMessageW(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
        if (!text.empty())
            SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }

    void applyPanels() {
        auto* bar = dynamic_cast<ui::StatusBar*>(&control_);
        if (!bar)
            return;
        std::vector<int> edges;
        int right = 0;
        for (int i = 1; i <= bar->panelCount(); ++i) {
            right += fw_.px(bar->panel(i).width);
            edges.push_back(i == bar->panelCount() ? -1 : right);
        }
        SendMessageW(hwnd_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
        for (int i = 1; i <= bar->panelCount(); ++i) {
            std::wstring text = wide(bar->panel(i).text);
            SendMessageW(hwnd_, SB_SETTEXTW, i - 1, reinterpret_cast<LPARAM>(text.c_str()));
        }
    }

  private:
    FormWindow& fw_;
    ui::Control& control_;
    HWND hwnd_;
};

class TimerPeer : public ui::Peer {
  public:
    TimerPeer(FormWindow& fw, ui::Timer& timer, UINT_PTR id) : fw_(fw), timer_(timer), id_(id) {
        apply();
    }
    ~TimerPeer() override { KillTimer(fw_.hwnd, id_); }
    void changed(ui::Property property) override {
        if (property == ui::Property::Enabled || property == ui::Property::Interval)
            apply();
    }

  private:
    void apply() {
        // Setting a running timer again restarts its interval, as a changed interval should.
        if (timer_.running())
            SetTimer(fw_.hwnd, id_, static_cast<UINT>(timer_.interval()), nullptr);
        else
            KillTimer(fw_.hwnd, id_);
    }
    FormWindow& fw_;
    ui::Timer& timer_;
    UINT_PTR id_;
};

class MenuPeer : public ui::Peer {
  public:
    explicit MenuPeer(FormWindow& fw) : fw_(fw) {}
    void changed(ui::Property property) override {
        if (property == ui::Property::Caption || property == ui::Property::Enabled ||
            property == ui::Property::Visible)
            fw_.rebuildMenuBar();
    }

  private:
    FormWindow& fw_;
};

class BrowserPeer : public ui::Peer {
  public:
    BrowserPeer(FormWindow& fw, ui::Control& control, Win32BrowserPane& host)
        : fw_(fw), control_(control), host_(host) {}
    void changed(ui::Property property) override {
        if (property == ui::Property::Bounds)
            host_.setBounds(fw_.pixelRect(control_));
        if (property == ui::Property::Visible)
            host_.setVisible(control_.shown());
    }

  private:
    FormWindow& fw_;
    ui::Control& control_;
    Win32BrowserPane& host_;
};

ui::WindowState nativeState(HWND hwnd) {
    if (IsIconic(hwnd))
        return ui::WindowState::Minimized;
    if (IsZoomed(hwnd))
        return ui::WindowState::Maximized;
    return ui::WindowState::Normal;
}

void syncBounds(FormWindow& fw) {
    RECT r;
    if (IsIconic(fw.hwnd) || !GetWindowRect(fw.hwnd, &r))
        return;
    fw.form.syncFromNative(twipsAt(r.left, fw.dpi), twipsAt(r.top, fw.dpi),
                           twipsAt(r.right - r.left, fw.dpi), twipsAt(r.bottom - r.top, fw.dpi));
}

// The window now shows at another DPI (moved to another monitor, or created on one whose DPI
// differs from the system's): same twips, new pixels. `outer` is the window's new rectangle.
void applyDpi(FormWindow& fw, int dpi, const RECT& outer) {
    fw.dpi = dpi;
    HFONT font = fw.system.fontFor(dpi);
    for (auto& [child, control] : fw.children)
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    // The new size runs the form's own layout through WM_SIZE; the controls it does not
    // place are put where their twips say.
    SetWindowPos(fw.hwnd, nullptr, outer.left, outer.top, outer.right - outer.left,
                 outer.bottom - outer.top, SWP_NOZORDER | SWP_NOACTIVATE);
    for (ui::Control* c : fw.form.controls())
        if (ui::Peer* peer = c->peer())
            peer->changed(ui::Property::Bounds);
    InvalidateRect(fw.hwnd, nullptr, TRUE);
}

// The window's rectangle scaled from one DPI to another around its centre.
RECT scaledAroundCentre(HWND hwnd, int from, int to) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    const int w = MulDiv(r.right - r.left, to, from), h = MulDiv(r.bottom - r.top, to, from);
    const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    return RECT{cx - w / 2, cy - h / 2, cx - w / 2 + w, cy - h / 2 + h};
}

class Syncing {
  public:
    explicit Syncing(FormWindow& fw) : fw_(fw), was_(fw.syncing) { fw.syncing = true; }
    ~Syncing() { fw_.syncing = was_; }
    Syncing(const Syncing&) = delete;
    Syncing& operator=(const Syncing&) = delete;

  private:
    FormWindow& fw_;
    bool was_;
};

HWND childOf(const FormWindow& fw, const ui::Control* c) {
    for (const auto& [h, control] : fw.children)
        if (control == c)
            return h;
    return nullptr;
}

std::wstring textOf(HWND h) {
    const int length = GetWindowTextLengthW(h);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(h, text.data(), length + 1)));
    return text;
}

void onCommand(FormWindow& fw, UINT id, UINT code) {
    auto it = fw.commands.find(id);
    if (it == fw.commands.end())
        return;
    ui::Control* c = it->second;
    if (auto* b = dynamic_cast<ui::Button*>(c)) {
        if (code == BN_CLICKED && b->enabled())
            b->click();
    } else if (auto* o = dynamic_cast<ui::OptionButton*>(c)) {
        if (code == BN_CLICKED && o->enabled())
            o->click();
    } else if (auto* m = dynamic_cast<ui::MenuItem*>(c)) {
        if (m->enabled())
            m->click();
    } else if (auto* l = dynamic_cast<ui::Label*>(c)) {
        if (code == STN_CLICKED && l->enabled())
            l->click();
    } else if (auto* combo = dynamic_cast<ui::ComboBox*>(c)) {
        if (fw.applying)
            return;
        HWND h = childOf(fw, c);
        if (code == CBN_SELCHANGE) {
            const int index = static_cast<int>(SendMessageW(h, CB_GETCURSEL, 0, 0));
            Syncing guard(fw);
            combo->setListIndex(index);
        } else if (code == CBN_EDITCHANGE) {
            {
                Syncing guard(fw);
                combo->setText(narrow(textOf(h)));
            }
            // A handler that refused part of what was typed has the last word.
            if (combo->text() != narrow(textOf(h))) {
                SetWindowTextW(h, wide(combo->text()).c_str());
                SendMessageW(h, CB_SETEDITSEL, 0, MAKELPARAM(-1, -1));
            }
        }
    } else if (auto* box = dynamic_cast<ui::TextBox*>(c)) {
        if (code == EN_CHANGE && !fw.applying) {
            Syncing guard(fw);
            box->setText(narrow(textOf(childOf(fw, c))));
        }
    }
}

void onNotify(FormWindow& fw, NMHDR& nm) {
    auto it = fw.children.find(nm.hwndFrom);
    if (it == fw.children.end() || fw.applying)
        return;
    HWND h = nm.hwndFrom;
    if (auto* list = dynamic_cast<ui::ListView*>(it->second)) {
        switch (nm.code) {
            case LVN_ITEMCHANGED: {
                const int count = static_cast<int>(SendMessageW(h, LVM_GETITEMCOUNT, 0, 0));
                std::vector<bool> selected(count);
                for (int i = 0; i < count; ++i)
                    selected[i] = SendMessageW(h, LVM_GETITEMSTATE, i, LVIS_SELECTED) != 0;
                const int current =
                    static_cast<int>(SendMessageW(h, LVM_GETNEXTITEM, -1, LVNI_FOCUSED));
                list->syncSelection(selected, current);
                break;
            }
            case NM_DBLCLK:
                if (list->onDblClick)
                    list->onDblClick();
                break;
            case NM_CLICK:
            case NM_RCLICK: {
                if (!list->onMouseDown)
                    break;
                // The list view tells where it was clicked, in its client coordinates.
                LVHITTESTINFO hit{};
                hit.pt = reinterpret_cast<NMITEMACTIVATE&>(nm).ptAction;
                SendMessageW(h, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
                const int row = (hit.flags & LVHT_ONITEM) ? hit.iItem : -1;
                list->onMouseDown(
                    nm.code == NM_RCLICK ? ui::MouseButton::Right : ui::MouseButton::Left, row);
                break;
            }
            default:
                break;
        }
    } else if (auto* picker = dynamic_cast<ui::DateTimePicker*>(it->second)) {
        if (nm.code == DTN_DATETIMECHANGE) {
            SYSTEMTIME st{};
            if (SendMessageW(h, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) == GDT_VALID) {
                Syncing guard(fw);
                picker->setTimeOfDay(st.wHour * 3600 + st.wMinute * 60 + st.wSecond);
            }
        }
    }
}

LRESULT CALLBACK formProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        reinterpret_cast<FormWindow*>(cs->lpCreateParams)->hwnd = hwnd;
    }
    FormWindow* fw = formWindowOf(hwnd);
    if (!fw || !fw->form.loaded())
        return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
        case WM_COMMAND:
            onCommand(*fw, LOWORD(wp), HIWORD(wp));
            return 0;
        case WM_NOTIFY:
            onNotify(*fw, *reinterpret_cast<NMHDR*>(lp));
            return 0;
        case WM_TIMER: {
            auto it = fw->timers.find(wp);
            if (it != fw->timers.end() && it->second->running())
                it->second->tick();
            return 0;
        }
        case WM_HSCROLL: {
            auto it = fw->children.find(reinterpret_cast<HWND>(lp));
            if (it != fw->children.end()) {
                if (auto* s = dynamic_cast<ui::Slider*>(it->second)) {
                    fw->syncing = true;
                    s->setValue(static_cast<int>(SendMessageW(it->first, TBM_GETPOS, 0, 0)));
                    fw->syncing = false;
                }
            }
            return 0;
        }
        case WM_CLOSE:
            fw->form.forms().unload(fw->form, ui::kUnloadFormControlMenu);
            return 0;
        case WM_DPICHANGED:
            applyDpi(*fw, LOWORD(wp), *reinterpret_cast<const RECT*>(lp));
            return 0;
        case WM_SETTINGCHANGE:
            if (fw->system.onSettingChange)
                fw->system.onSettingChange();
            break;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wp)
                fw->form.forms().unload(fw->form, ui::kUnloadAppWindows);
            return 0;
        case WM_MOVE:
            syncBounds(*fw);
            break;
        case WM_SIZE: {
            for (auto& [child, control] : fw->children)
                if (control->kind() == ui::ControlKind::StatusBar)
                    SendMessageW(child, WM_SIZE, 0, 0);
            syncBounds(*fw);
            fw->form.syncWindowState(nativeState(hwnd));
            if (fw->shownOnce && IsWindowVisible(hwnd)) {
                const SIZE now = clientSize(hwnd);
                if (!fw->laidOut || fw->laidOut->cx != now.cx || fw->laidOut->cy != now.cy)
                    fw->form.Form_Resize();
            }
            return 0;
        }
        case WM_SHOWWINDOW:
            if (!wp && fw->form.visible() && lp == 0)
                fw->form.syncVisible(false);
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

DWORD styleFor(const ui::Form& form, DWORD& exStyle) {
    exStyle = WS_EX_CONTROLPARENT;
    // No WS_CLIPCHILDREN: a group box leaves its inside to the form to paint.
    DWORD style = WS_CAPTION | WS_SYSMENU;
    switch (form.borderStyle()) {
        case ui::BorderStyle::FixedSingle:
            style |= WS_BORDER;
            break;
        case ui::BorderStyle::FixedDialog:
            style |= DS_MODALFRAME;
            exStyle |= WS_EX_DLGMODALFRAME;
            break;
        case ui::BorderStyle::Sizable:
            style |= WS_THICKFRAME;
            break;
    }
    if (form.minButton())
        style |= WS_MINIMIZEBOX;
    if (form.maxButton())
        style |= WS_MAXIMIZEBOX;
    return style;
}

}  // namespace

Win32WindowSystem::Win32WindowSystem(HINSTANCE instance) : instance_(instance) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS |
                                              ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES |
                                              ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);
    registerControlClasses(instance_);
    dpi_ = systemDpi();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = formProc;
    wc.hInstance = instance_;
    wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(kAppIconId));
    if (!wc.hIcon)
        wc.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
    wc.hIconSm = wc.hIcon;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFormClassName;
    RegisterClassExW(&wc);
}

Win32WindowSystem::~Win32WindowSystem() = default;

int Win32WindowSystem::pixelsFromTwips(double twips) const {
    return pixelsAt(twips, dpi_);
}

double Win32WindowSystem::twipsFromPixels(int pixels) const {
    return twipsAt(pixels, dpi_);
}

HFONT Win32WindowSystem::fontFor(int dpi) {
    return fonts_.at(dpi);
}

std::uintptr_t Win32WindowSystem::nativeHandle(const ui::Form& form) {
    return reinterpret_cast<std::uintptr_t>(windowOf(form));
}

HWND Win32WindowSystem::windowOf(const ui::Form& form) const {
    auto it = windows_.find(&form);
    return it == windows_.end() ? nullptr : it->second;
}

// In twips of the primary monitor, the DPI at which a window centred on it converts its own
// position.
double Win32WindowSystem::screenWidth() {
    return twipsAt(GetSystemMetrics(SM_CXSCREEN), primaryMonitorDpi());
}

double Win32WindowSystem::screenHeight() {
    return twipsAt(GetSystemMetrics(SM_CYSCREEN), primaryMonitorDpi());
}

void Win32WindowSystem::createWindow(ui::Form& form) {
    if (windowOf(form))
        return;
    auto* fw = new FormWindow(*this, form);
    fw->dpi = primaryMonitorDpi();  // where a new window opens unless placed elsewhere

    // Menu ids first: the outer size depends on whether there is a menu bar.
    UINT nextMenuId = kFirstMenuId;
    bool hasMenuBar = false;
    for (ui::Control* c : form.controls()) {
        if (auto* item = dynamic_cast<ui::MenuItem*>(c)) {
            fw->menuIds[item] = nextMenuId;
            fw->commands[nextMenuId++] = item;
            if (!item->parent() && item->visible())
                hasMenuBar = true;
        }
    }

    DWORD exStyle = 0;
    DWORD style = styleFor(form, exStyle);
    RECT r{0, 0, pixelsFromTwips(form.clientWidth()), pixelsFromTwips(form.clientHeight())};
    adjustWindowRect(r, style, hasMenuBar, exStyle, fw->dpi);
    int w = r.right - r.left, h = r.bottom - r.top;
    int x = pixelsFromTwips(form.left()), y = pixelsFromTwips(form.top());
    if (form.startCentered()) {
        x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
        y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    }
    HWND hwnd = CreateWindowExW(exStyle, kFormClassName, wide(form.caption()).c_str(), style, x, y,
                                w, h, nullptr, nullptr, instance_, fw);
    if (!hwnd) {
        delete fw;
        return;
    }
    windows_[&form] = hwnd;
    form.attachPeer(std::make_unique<FormPeer>(*fw));
    fw->syncing = true;
    syncBounds(*fw);
    fw->syncing = false;
    if (hasMenuBar)
        fw->rebuildMenuBar();

    UINT_PTR nextTimer = 1;
    // Timers, menus and the radio pane belong to the window from its creation; the child
    // windows of the other controls wait for its first show (makeChildren).
    for (ui::Control* c : form.controls()) {
        switch (c->kind()) {
            case ui::ControlKind::Timer: {
                auto* t = static_cast<ui::Timer*>(c);
                UINT_PTR id = nextTimer++;
                fw->timers[id] = t;
                t->attachPeer(std::make_unique<TimerPeer>(*fw, *t, id));
                continue;
            }
            case ui::ControlKind::Menu:
                c->attachPeer(std::make_unique<MenuPeer>(*fw));
                continue;
            case ui::ControlKind::WebBrowser: {
                auto* pane = static_cast<ui::WebBrowserPane*>(c);
                auto host = std::make_unique<DeferredBrowserPane>(hwnd, fw->pixelRect(*c));
                if (host) {
                    host->setVisible(c->shown());
                    pane->setEngine(host.get());
                    host->onDownloadBegin = [pane] {
                        if (pane->onDownloadBegin)
                            pane->onDownloadBegin();
                    };
                    host->onDownloadComplete = [pane] {
                        if (pane->onDownloadComplete)
                            pane->onDownloadComplete();
                    };
                    c->attachPeer(std::make_unique<BrowserPeer>(*fw, *c, *host));
                    fw->browsers.push_back(std::move(host));
                }
                continue;
            }
            default:
                break;
        }
    }
    if (const int dpi = windowDpi(hwnd); dpi != fw->dpi)
        applyDpi(*fw, dpi, scaledAroundCentre(hwnd, fw->dpi, dpi));
}

// A window loaded and never shown (the main window of an offline start, the windows other
// windows load to read or keep running) never makes the child windows of its controls: under
// Wine each costs dozens of wineserver calls, and the skin adds surfaces for every button.
// The models hold every value meanwhile and the children take them all when made.
void Win32WindowSystem::makeChildren(HWND window) {
    FormWindow* fw = formWindowOf(window);
    if (!fw || fw->childrenMade)
        return;
    fw->childrenMade = true;
    HWND hwnd = fw->hwnd;
    UINT nextId = kFirstControlId;  // made once per window, so the ids start afresh
    for (ui::Control* c : fw->form.controls()) {
        const wchar_t* cls = nullptr;
        DWORD ex = 0;
        std::string text = c->caption();
        // Siblings clip each other so that overlapping controls show the one on top: the
        // earlier control, as in a dialog template; frames go to the bottom below.
        DWORD cs = WS_CHILD | WS_CLIPSIBLINGS | (c->shown() ? WS_VISIBLE : 0) |
                   (c->usable() ? 0 : WS_DISABLED);
        switch (c->kind()) {
            case ui::ControlKind::Button:
                cls = L"BUTTON";
                cs |= BS_PUSHBUTTON | BS_MULTILINE | WS_TABSTOP;
                break;
            case ui::ControlKind::Label:
                cls = L"STATIC";
                cs |= SS_LEFT | SS_NOPREFIX;
                if (static_cast<ui::Label*>(c)->onClick)
                    cs |= SS_NOTIFY;
                break;
            case ui::ControlKind::Image:
                cls = L"STATIC";
                cs |= SS_ICON | SS_CENTERIMAGE;
                break;
            case ui::ControlKind::Frame:
                cls = L"BUTTON";
                cs |= BS_GROUPBOX;
                break;
            case ui::ControlKind::OptionButton:
                cls = L"BUTTON";
                cs |= BS_RADIOBUTTON | WS_TABSTOP;
                break;
            case ui::ControlKind::StatusBar:
                cls = STATUSCLASSNAMEW;
                cs |= CCS_BOTTOM;
                break;
            case ui::ControlKind::Slider:
                cls = TRACKBAR_CLASSW;
                cs |= TBS_HORZ | TBS_NOTICKS | WS_TABSTOP;
                break;
            case ui::ControlKind::ProgressBar:
                cls = PROGRESS_CLASSW;
                break;
            case ui::ControlKind::ComboBox: {
                auto* combo = static_cast<ui::ComboBox*>(c);
                cls = L"COMBOBOX";
                cs |= WS_TABSTOP | WS_VSCROLL | CBS_AUTOHSCROLL |
                      (combo->style() == ui::ComboStyle::DropDownList ? CBS_DROPDOWNLIST
                                                                      : CBS_DROPDOWN);
                text = combo->text();
                break;
            }
            case ui::ControlKind::TextBox:
                cls = L"EDIT";
                cs |= WS_TABSTOP | ES_AUTOHSCROLL;
                ex = WS_EX_CLIENTEDGE;
                text = static_cast<ui::TextBox*>(c)->text();
                break;
            case ui::ControlKind::ListView:
                cls = WC_LISTVIEWW;
                cs |= WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS;
                ex = WS_EX_CLIENTEDGE;
                text.clear();
                break;
            case ui::ControlKind::DateTimePicker:
                cls = DATETIMEPICK_CLASSW;
                cs |= WS_TABSTOP;
                text.clear();
                break;
            default:
                continue;  // not a child window: made with the window
        }
        cls = controlClassName(c->kind(), cls);
        UINT id = nextId++;
        RECT pr = fw->pixelRect(*c);
        HWND child =
            CreateWindowExW(ex, cls, wide(text).c_str(), cs, pr.left, pr.top, pr.right - pr.left,
                            pr.bottom - pr.top, hwnd,
                            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), instance_, nullptr);
        if (!child)
            continue;
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(fw->dpi)), FALSE);
        if (c->kind() == ui::ControlKind::ListView)
            SendMessageW(child, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                         LVS_EX_FULLROWSELECT);
        fw->commands[id] = c;
        fw->children[child] = c;
        auto peer = std::make_unique<ChildPeer>(*fw, *c, child);
        peer->applyAll();
        c->attachPeer(std::move(peer));
    }
    // A label is drawn on its container's surface: it lies under every other control (a
    // caption that runs on under the combo box beside it must not cover the combo box). A frame
    // lies under the controls it holds, labels included.
    for (ui::ControlKind kind : {ui::ControlKind::Label, ui::ControlKind::Frame})
        for (auto& [child, control] : fw->children)
            if (control->kind() == kind)
                SetWindowPos(child, HWND_BOTTOM, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (onChildrenMade)
        onChildrenMade(fw->form);
}

void Win32WindowSystem::destroyWindow(ui::Form& form) {
    HWND hwnd = windowOf(form);
    if (!hwnd)
        return;
    windows_.erase(&form);
    FormWindow* fw = formWindowOf(hwnd);
    // Timers and browser panes go before the window they live in.
    form.detachPeers();
    for (ui::Control* c : form.controls())
        if (auto* pane = dynamic_cast<ui::WebBrowserPane*>(c))
            pane->setEngine(nullptr);
    if (fw)
        fw->browsers.clear();
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    HMENU menu = fw ? fw->menuBar : nullptr;
    DestroyWindow(hwnd);
    if (menu)
        DestroyMenu(menu);
    delete fw;
    if (form.forms().loadedForms().empty())
        PostQuitMessage(0);
}

void Win32WindowSystem::runModal(ui::Form& form) {
    HWND hwnd = windowOf(form);
    if (!hwnd)
        return;
    std::vector<HWND> disabled;
    for (auto& [other, h] : windows_) {
        if (h != hwnd && IsWindowEnabled(h)) {
            EnableWindow(h, FALSE);
            disabled.push_back(h);
        }
    }
    SetForegroundWindow(hwnd);
    MSG msg;
    bool quit = false;
    int quitCode = 0;
    while (form.loaded() && form.visible()) {
        BOOL r = GetMessageW(&msg, nullptr, 0, 0);
        if (r <= 0) {
            quit = true;
            quitCode = static_cast<int>(msg.wParam);
            break;
        }
        if (!translateForDialog(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    for (HWND h : disabled)
        if (IsWindow(h))
            EnableWindow(h, TRUE);
    if (quit)
        PostQuitMessage(quitCode);
}

void Win32WindowSystem::doEvents() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (!translateForDialog(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

void Win32WindowSystem::popupMenu(ui::Form& owner, ui::MenuItem& menu) {
    HWND hwnd = windowOf(owner);
    FormWindow* fw = hwnd ? formWindowOf(hwnd) : nullptr;
    if (!fw)
        return;
    HMENU popup = CreatePopupMenu();
    for (ui::MenuItem* child : menu.items())
        fw->appendMenu(popup, *child);
    POINT pt;
    GetCursorPos(&pt);
    // The owner must be the foreground window, or the menu does not close when the user
    // clicks elsewhere (the classic notification-area pop-up rule).
    SetForegroundWindow(hwnd);
    UINT id = TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd, nullptr);
    PostMessageW(hwnd, WM_NULL, 0, 0);
    DestroyMenu(popup);
    if (id)
        onCommand(*fw, id, 0);
}

void Win32WindowSystem::activate(ui::Form& form) {
    HWND hwnd = windowOf(form);
    if (!hwnd)
        return;
    SetForegroundWindow(hwnd);
    SetFocus(hwnd);
}

bool Win32WindowSystem::translateForDialog(MSG& msg) {
    HWND top = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (!top)
        return false;
    for (auto& [form, h] : windows_) {
        if (h == top) {
            relayToToolTip(msg, top);
            return IsDialogMessageW(h, &msg) != FALSE;
        }
    }
    return false;
}

// The tool tips learn of the pointer from here, as the tool tip control documents for tools
// it does not subclass.
void Win32WindowSystem::relayToToolTip(MSG& msg, HWND top) {
    if (msg.message < WM_MOUSEFIRST || msg.message > WM_MOUSELAST)
        return;
    FormWindow* fw = formWindowOf(top);
    if (fw && fw->toolTip)
        SendMessageW(fw->toolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

int Win32WindowSystem::runMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!translateForDialog(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (onIdle)
            onIdle();
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace sonorin::win32
