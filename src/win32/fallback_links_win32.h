// The stand-in pane's list of a page's links, by their texts, in columns. A click on an entry
// (the button coming up over it, as a link reacts) or Enter on the selected one clicks that
// link. Moving through the list with the mouse held down or with the arrow keys only selects,
// and the second click of a double click does not click again.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "radio/html.h"

namespace sonorin::win32 {

class LinkList {
  public:
    using ClickHandler = std::function<void(int index)>;

    // A list box child of `parent` (destroyed with it) in `font`, its columns sized for `dpi`.
    LinkList(HWND parent, HFONT font, int dpi, ClickHandler clicked);
    ~LinkList();
    LinkList(const LinkList&) = delete;
    LinkList& operator=(const LinkList&) = delete;

    // Shows these links in place of the ones before, the page's current one marked. The same
    // number of links again keeps the selection and the scrolling.
    void show(const std::vector<radio::HtmlLink>& links);
    void move(RECT area);
    HWND hwnd() const { return list_; }

  private:
    static LRESULT CALLBACK listProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR data);
    void click(int index) noexcept;

    HWND list_ = nullptr;
    ClickHandler clicked_;
    std::vector<std::wstring> shown_;
    bool doubleClicked_ = false;
};

}  // namespace sonorin::win32
