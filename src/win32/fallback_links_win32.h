// The stand-in pane's list of a page's links, by their texts, one a line under the page's
// headings, scrolling up and down. Headings are set off and do nothing. A click on an entry
// (the button coming up over it, as a link reacts) or Enter on the selected one clicks that
// link. Moving through the list with the mouse held down or with the arrow keys only selects,
// and the second click of a double click does not click again.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "radio/page_view.h"
#include "win32/scoped_win.h"

namespace sonorin::win32 {

class LinkList {
  public:
    using ClickHandler = std::function<void(int index)>;

    // A list box child of `parent` (destroyed with it) in `font`, its lines sized for `dpi`;
    // `clicked` gets the index of the link in the list shown.
    LinkList(HWND parent, HFONT font, int dpi, ClickHandler clicked);
    ~LinkList();
    LinkList(const LinkList&) = delete;
    LinkList& operator=(const LinkList&) = delete;

    // Shows these entries in place of the ones before. The same page read again, or as many
    // entries as before, keeps the selection and the scrolling.
    void show(const std::vector<radio::PageView::Entry>& entries, bool samePage);
    void move(RECT area);
    HWND hwnd() const { return list_; }
    // The parent passes on the list's WM_DRAWITEM.
    void draw(const DRAWITEMSTRUCT& item);

  private:
    static LRESULT CALLBACK listProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR data);
    void click(int index) noexcept;

    HWND list_ = nullptr;
    HFONT font_ = nullptr;
    ScopedFont headingFont_;
    int indent_ = 0;
    // Per entry, the link it stands for; -1 for a heading.
    std::vector<int> links_;
    ClickHandler clicked_;
    std::vector<std::wstring> shown_;
    bool doubleClicked_ = false;
};

}  // namespace sonorin::win32
