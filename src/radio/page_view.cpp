#include "radio/page_view.h"

#include <algorithm>

namespace sonorin::radio {
namespace {

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The text's lines, at most `count` of them.
std::vector<std::string> firstLines(const std::string& text, std::size_t count) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (lines.size() < count && start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace

PageView viewPage(const HtmlPage& page) {
    PageView view;
    const std::vector<std::string> lines = firstLines(page.text, 2);
    view.heading = lines.empty() ? page.title : lines[0];
    view.line = lines.size() > 1 ? lines[1] : std::string();

    // Links that end the second line, after more text: of the page's leading links whose
    // texts stand in the line (the station page's: its stop, and the station's name), those
    // at its end. A link alone on its line is an entry of the list like any other.
    std::size_t leading = 0;
    while (leading < page.links.size() && !page.links[leading].text.empty() &&
           view.line.find(page.links[leading].text) != std::string::npos)
        ++leading;
    for (bool found = true; found;) {
        found = false;
        const std::string line = trimmed(view.line);
        for (std::size_t i = 0; i < leading && !found; ++i) {
            const std::string& text = page.links[i].text;
            const int index = static_cast<int>(i);
            if (line.size() > text.size() && line.ends_with(text) &&
                std::find(view.lineLinks.begin(), view.lineLinks.end(), index) ==
                    view.lineLinks.end()) {
                view.line = line.substr(0, line.size() - text.size());
                view.lineLinks.push_back(index);
                found = true;
            }
        }
    }
    std::sort(view.lineLinks.begin(), view.lineLinks.end());
    view.line = trimmed(view.line);

    const std::string* group = nullptr;
    for (std::size_t i = 0; i < page.links.size(); ++i) {
        if (std::find(view.lineLinks.begin(), view.lineLinks.end(), static_cast<int>(i)) !=
            view.lineLinks.end())
            continue;
        const HtmlLink& link = page.links[i];
        if (!link.group.empty() && (!group || *group != link.group))
            view.entries.push_back({link.group, -1});
        group = &link.group;
        view.entries.push_back(
            {(link.current ? "▶ " : "") + (link.text.empty() ? link.href : link.text),
             static_cast<int>(i)});
    }
    return view;
}

}  // namespace sonorin::radio
