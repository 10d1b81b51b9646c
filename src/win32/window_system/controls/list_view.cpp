// A list view in report view: the model's columns, rows and selection, and back the user's
// selection, double clicks and mouse presses.
#include <windowsx.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "win32/window_system/child_peer.h"
#include "win32/window_system/control_messages.h"

namespace sonorin::win32 {
namespace {

class ListViewPeer final : public ChildPeer {
  public:
    ListViewPeer(FormWindow& fw, ui::Control& control)
        : ChildPeer(fw, control), list_(static_cast<ui::ListView&>(control)) {}

    void notify(const NMHDR& header) override {
        switch (header.code) {
            case LVN_ITEMCHANGED: {
                const int count = msg::listRowCount(hwnd_);
                std::vector<bool> selected(count);
                for (int i = 0; i < count; ++i)
                    selected[i] = msg::listRowSelected(hwnd_, i);
                rememberSelectionBeforeARightPressOnEmptySpace();
                list_.syncSelection(selected, msg::listFocusedRow(hwnd_));
                break;
            }
            case NM_DBLCLK:
                if (list_.onDblClick)
                    list_.onDblClick();
                break;
            case NM_CLICK:
            case NM_RCLICK: {
                // The list view tells where it was clicked, in its client coordinates.
                const POINT at = reinterpret_cast<const NMITEMACTIVATE&>(header).ptAction;
                const int row = msg::listRowAt(hwnd_, at);
                if (header.code == NM_RCLICK && row < 0 && beforeRightPress_)
                    restoreSelection(*beforeRightPress_);
                beforeRightPress_.reset();
                if (list_.onMouseDown)
                    list_.onMouseDown(
                        header.code == NM_RCLICK ? ui::MouseButton::Right : ui::MouseButton::Left,
                        row);
                break;
            }
            default:
                break;
        }
    }

  protected:
    std::string initialText() const override { return {}; }
    void applyAll() override {
        msg::listSetExtendedStyle(hwnd_, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
        applyColumns();
        applyStyle();
    }
    void apply(ui::Property property) override {
        switch (property) {
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
    // The window may have moved to another DPI: the columns' pixels change with it.
    void applyBounds() override {
        ChildPeer::applyBounds();
        applyColumnWidths();
    }

  private:
    void applyColumns() {
        Applying guard(fw_);
        msg::listDeleteColumns(hwnd_);
        int index = 0;
        for (const ui::ListView::Column& column : list_.columns())
            msg::listInsertColumn(hwnd_, index++, column.caption, fw_.px(column.width));
        applyRows();
    }

    // The columns as designed, except that the last one gives up the room a vertical scroll
    // bar takes (when that is less than half of it): columns that fit the list do not bring a
    // horizontal bar along with a vertical one.
    void applyColumnWidths() {
        const auto& columns = list_.columns();
        if (columns.empty())
            return;
        int others = 0;
        for (std::size_t i = 0; i + 1 < columns.size(); ++i) {
            msg::listSetColumnWidth(hwnd_, static_cast<int>(i), fw_.px(columns[i].width));
            others += fw_.px(columns[i].width);
        }
        const int last = fw_.px(columns.back().width);
        RECT client{};
        GetClientRect(hwnd_, &client);
        const int room = client.right - others;
        msg::listSetColumnWidth(hwnd_, static_cast<int>(columns.size()) - 1,
                                room < last && room >= last / 2 ? room : last);
    }

    // The lists are a few dozen rows at most: rebuilding them keeps native and model equal.
    void applyRows() {
        Applying guard(fw_);
        msg::setRedraw(hwnd_, false);
        msg::listDeleteRows(hwnd_);
        const int columns = std::max<int>(1, static_cast<int>(list_.columns().size()));
        for (int row = 0; row < list_.rowCount(); ++row) {
            msg::listInsertRow(hwnd_, row, list_.text(row, 0));
            for (int column = 1; column < columns; ++column)
                msg::listSetText(hwnd_, row, column, list_.text(row, column));
        }
        applySelection();
        msg::setRedraw(hwnd_, true);
        // The rows may have brought or taken away the vertical scroll bar.
        applyColumnWidths();
        InvalidateRect(hwnd_, nullptr, TRUE);
    }

    void applySelection() {
        Applying guard(fw_);
        const int current = list_.selectedItem();
        for (int row = 0; row < list_.rowCount(); ++row)
            msg::listSetRowState(hwnd_, row, list_.selected(row), row == current);
    }

    void applyStyle() {
        setStyleBit(LVS_SINGLESEL, !list_.multiSelect());
        setStyleBit(WS_BORDER, list_.flat() && list_.border());
        LONG_PTR ex = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
        ex = list_.flat() ? (ex & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE))
                          : (ex | WS_EX_CLIENTEDGE);
        SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex);
        SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        // A new frame changes the client area but not the window's size, and Wine's list view
        // re-measures only on a size change: it would go on taking the width it had with the
        // sunken edge, four pixels less, for its own, and show a horizontal scroll bar for
        // columns that fill the list exactly.
        RECT client{};
        GetClientRect(hwnd_, &client);
        msg::send(hwnd_, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
        applyColumnWidths();
    }

    // The list view clears its selection as the right button goes down on empty space, before
    // it reports the click; the window's handler still needs the rows the user had selected
    // (its context menu acts on them), so they are kept and put back for that click.
    void rememberSelectionBeforeARightPressOnEmptySpace() {
        if (beforeRightPress_ || list_.selectedItem() < 0 || GetKeyState(VK_RBUTTON) >= 0)
            return;
        const DWORD pos = GetMessagePos();
        POINT at{GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
        ScreenToClient(hwnd_, &at);
        if (msg::listRowAt(hwnd_, at) >= 0)
            return;
        std::vector<bool> selected(list_.rowCount());
        for (int i = 0; i < list_.rowCount(); ++i)
            selected[i] = list_.selected(i);
        beforeRightPress_ = Selection{std::move(selected), list_.selectedItem()};
    }
    struct Selection {
        std::vector<bool> rows;
        int current = -1;
    };
    void restoreSelection(const Selection& selection) {
        list_.syncSelection(selection.rows, selection.current);
        applySelection();
    }

    ui::ListView& list_;
    std::optional<Selection> beforeRightPress_;
};

}  // namespace

std::unique_ptr<ui::Peer> makeListViewPeer(FormWindow& fw, ui::Control& control) {
    return makeChild<ListViewPeer>(fw, control);
}

}  // namespace sonorin::win32
