// What the stand-in pane shows of a page, worked out apart from its windows: a header of two
// lines that always keep their place (the page's heading, and the line under it, which on the
// station page says what plays now), and under it the page's other links as a list under their
// headings. A link that stands inside the header's second line (the station page's stop) is
// not in the list: the header offers it as a button at a fixed place, and its text leaves the
// line, so that nothing there looks like a link that is none.
#pragma once

#include <string>
#include <vector>

#include "radio/html.h"

namespace sonorin::radio {

struct PageView {
    struct Entry {
        std::string text;  // what the list shows; the page's current link is marked "▶ "
        int link = -1;     // the index into the page's links; -1 for a heading
        bool operator==(const Entry&) const = default;
    };
    std::string heading;  // the page's first line, or its title when it has no text
    std::string line;     // the second line without the texts of lineLinks
    // Links that stand in that line, by index into the page's links, in document order.
    std::vector<int> lineLinks;
    std::vector<Entry> entries;
};

PageView viewPage(const HtmlPage& page);

}  // namespace sonorin::radio
