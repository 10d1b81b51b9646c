#include "radio/page_view.h"

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

    // The page's leading links whose texts stand inside the second line, with more text
    // around them: a link alone on its line is an entry of the list like any other.
    for (std::size_t i = 0; i < page.links.size(); ++i) {
        const std::string& text = page.links[i].text;
        const std::size_t at = text.empty() ? std::string::npos : view.line.rfind(text);
        if (at == std::string::npos || trimmed(view.line) == text)
            break;
        view.line.erase(at, text.size());
        view.lineLinks.push_back(static_cast<int>(i));
    }
    view.line = trimmed(view.line);

    const std::string* group = nullptr;
    for (std::size_t i = view.lineLinks.size(); i < page.links.size(); ++i) {
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
