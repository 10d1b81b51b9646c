// A tolerant HTML reader for the pane that stands in for the system browser control: it turns
// any byte string into tokens without ever failing, and reads from them what the program asks
// of a page (its links with their texts, its visible text). Not a browser: no scripts, no
// styles, no tree repair beyond what these two readings need.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sonorin::radio {

struct HtmlToken {
    enum class Kind { Text, StartTag, EndTag, Comment };
    Kind kind = Kind::Text;
    // Text and comments: the text, entities decoded in text. Tags: the name in lower case.
    std::string text;
    // Start tags: attribute names in lower case, values with entities decoded, in order.
    std::vector<std::pair<std::string, std::string>> attributes;
    bool selfClosing = false;

    // The first attribute of that (lower-case) name, or empty.
    std::string attribute(std::string_view name) const;
};

// Splits HTML into tokens. Tag and attribute names in any case; quoted, unquoted and missing
// attribute values; "<" that opens no tag is text; the contents of script and style are raw
// text (not shown), those of title and textarea text without tags. Unclosed constructs end at
// the end of the input.
std::vector<HtmlToken> tokenizeHtml(std::string_view html);

// Replaces character references: named ones of HTML's common set, decimal and hexadecimal
// ones (with or without the ";"); unknown names stay as written, invalid numbers become U+FFFD.
std::string decodeEntities(std::string_view text);

struct HtmlLink {
    // What the user sees of the link (its inner text, blanks collapsed).
    std::string text;
    std::string href;
    // Marked as the page's current item (aria-current other than "false").
    bool current = false;
    // The text of the last heading (h1 to h6) before the link; empty when none came before.
    std::string group;
};

struct HtmlPage {
    std::string title;
    // Every "a" element in document order, with or without an href.
    std::vector<HtmlLink> links;
    // The visible text of the body: blanks collapsed, block elements on their own lines.
    std::string text;
};

// Reads a page. Malformed UTF-8 is replaced by U+FFFD first.
HtmlPage readHtmlPage(std::string_view html);

}  // namespace sonorin::radio
