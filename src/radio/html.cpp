#include "radio/html.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "base/ascii.h"
#include "base/text.h"

namespace sonorin::radio {
namespace {

// Blanks as HTML counts them: no vertical tab.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

struct NamedEntity {
    const char* name;
    std::uint32_t cp;
    bool legacy;  // also recognised without its ";"
};

constexpr std::array<NamedEntity, 30> kEntities{{
    {"amp", '&', true},        {"lt", '<', true},         {"gt", '>', true},
    {"quot", '"', true},       {"apos", '\'', false},     {"nbsp", 0xA0, true},
    {"copy", 0xA9, true},      {"reg", 0xAE, true},       {"middot", 0xB7, true},
    {"laquo", 0xAB, true},     {"raquo", 0xBB, true},     {"deg", 0xB0, true},
    {"times", 0xD7, true},     {"yen", 0xA5, true},       {"ensp", 0x2002, false},
    {"emsp", 0x2003, false},   {"thinsp", 0x2009, false}, {"ndash", 0x2013, false},
    {"mdash", 0x2014, false},  {"lsquo", 0x2018, false},  {"rsquo", 0x2019, false},
    {"ldquo", 0x201C, false},  {"rdquo", 0x201D, false},  {"bull", 0x2022, false},
    {"hellip", 0x2026, false}, {"trade", 0x2122, false},  {"larr", 0x2190, false},
    {"rarr", 0x2192, false},   {"hearts", 0x2665, false}, {"shy", 0xAD, true},
}};

// The position of the "<" of "</name" (any case) followed by a blank, "/" or ">", from
// `from` on; npos when there is none.
std::size_t findClosingTag(std::string_view html, std::size_t from, std::string_view name) {
    for (std::size_t at = html.find("</", from); at != std::string_view::npos;
         at = html.find("</", at + 1)) {
        const std::size_t end = at + 2 + name.size();
        if (end > html.size())
            return std::string_view::npos;
        bool same = true;
        for (std::size_t k = 0; k < name.size() && same; ++k)
            same = ascii::lower(html[at + 2 + k]) == name[k];
        if (same &&
            (end == html.size() || isBlank(html[end]) || html[end] == '/' || html[end] == '>'))
            return at;
    }
    return std::string_view::npos;
}

class Tokenizer {
  public:
    explicit Tokenizer(std::string_view html) : s_(html) {}

    std::vector<HtmlToken> run() {
        while (i_ < s_.size()) {
            if (s_[i_] != '<') {
                const std::size_t next = s_.find('<', i_);
                const std::size_t end = next == std::string_view::npos ? s_.size() : next;
                text_.append(s_.substr(i_, end - i_));
                i_ = end;
                continue;
            }
            if (i_ + 1 < s_.size() && isAlpha(s_[i_ + 1])) {
                startTag();
            } else if (s_.substr(i_, 2) == "</" && i_ + 2 < s_.size() && isAlpha(s_[i_ + 2])) {
                endTag();
            } else if (s_.substr(i_, 4) == "<!--") {
                const std::size_t end = s_.find("-->", i_ + 4);
                comment(i_ + 4, end == std::string_view::npos ? s_.size() : end,
                        end == std::string_view::npos ? s_.size() : end + 3);
            } else if (i_ + 1 < s_.size() &&
                       (s_[i_ + 1] == '!' || s_[i_ + 1] == '?' || s_[i_ + 1] == '/')) {
                // "<!DOCTYPE …>", "<?xml …?>", "</ …>": bogus comments up to the next ">".
                const std::size_t end = s_.find('>', i_ + 2);
                comment(i_ + 2, end == std::string_view::npos ? s_.size() : end,
                        end == std::string_view::npos ? s_.size() : end + 1);
            } else {
                text_ += '<';
                ++i_;
            }
        }
        flushText();
        return std::move(tokens_);
    }

  private:
    void flushText() {
        if (text_.empty())
            return;
        HtmlToken t;
        t.text = decodeEntities(text_);
        tokens_.push_back(std::move(t));
        text_.clear();
    }

    void comment(std::size_t from, std::size_t to, std::size_t next) {
        flushText();
        HtmlToken t;
        t.kind = HtmlToken::Kind::Comment;
        t.text = std::string(s_.substr(from, to - from));
        tokens_.push_back(std::move(t));
        i_ = next;
    }

    std::string readName() {
        const std::size_t start = i_;
        while (i_ < s_.size() && !isBlank(s_[i_]) && s_[i_] != '/' && s_[i_] != '>')
            ++i_;
        return ascii::lowered(s_.substr(start, i_ - start));
    }

    void skipBlanks() {
        while (i_ < s_.size() && isBlank(s_[i_]))
            ++i_;
    }

    void startTag() {
        flushText();
        HtmlToken t;
        t.kind = HtmlToken::Kind::StartTag;
        ++i_;  // "<"
        t.text = readName();
        while (i_ < s_.size()) {
            skipBlanks();
            if (i_ >= s_.size())
                break;
            if (s_[i_] == '>') {
                ++i_;
                break;
            }
            if (s_[i_] == '/') {
                ++i_;
                if (i_ < s_.size() && s_[i_] == '>') {
                    t.selfClosing = true;
                    ++i_;
                    break;
                }
                continue;
            }
            // A name may start with "=" (it is then part of the name, as browsers read it).
            const std::size_t nameStart = i_++;
            while (i_ < s_.size() && !isBlank(s_[i_]) && s_[i_] != '/' && s_[i_] != '>' &&
                   s_[i_] != '=')
                ++i_;
            std::string name = ascii::lowered(s_.substr(nameStart, i_ - nameStart));
            std::string value;
            skipBlanks();
            if (i_ < s_.size() && s_[i_] == '=') {
                ++i_;
                skipBlanks();
                if (i_ < s_.size() && (s_[i_] == '"' || s_[i_] == '\'')) {
                    const char quote = s_[i_];
                    const std::size_t end = s_.find(quote, i_ + 1);
                    const std::size_t stop = end == std::string_view::npos ? s_.size() : end;
                    value = decodeEntities(s_.substr(i_ + 1, stop - i_ - 1));
                    i_ = end == std::string_view::npos ? s_.size() : end + 1;
                } else {
                    const std::size_t valueStart = i_;
                    while (i_ < s_.size() && !isBlank(s_[i_]) && s_[i_] != '>')
                        ++i_;
                    value = decodeEntities(s_.substr(valueStart, i_ - valueStart));
                }
            }
            t.attributes.emplace_back(std::move(name), std::move(value));
        }
        const std::string name = t.text;
        tokens_.push_back(std::move(t));
        if (name == "script" || name == "style" || name == "title" || name == "textarea")
            rawText(name, name == "title" || name == "textarea");
    }

    // The contents of an element whose text holds no tags, up to its closing tag.
    void rawText(const std::string& name, bool decode) {
        std::size_t end = findClosingTag(s_, i_, name);
        if (end == std::string_view::npos)
            end = s_.size();
        if (end > i_) {
            HtmlToken t;
            const std::string_view raw = s_.substr(i_, end - i_);
            t.text = decode ? decodeEntities(raw) : std::string(raw);
            tokens_.push_back(std::move(t));
        }
        i_ = end;
    }

    void endTag() {
        flushText();
        HtmlToken t;
        t.kind = HtmlToken::Kind::EndTag;
        i_ += 2;  // "</"
        t.text = readName();
        const std::size_t close = s_.find('>', i_);
        i_ = close == std::string_view::npos ? s_.size() : close + 1;
        tokens_.push_back(std::move(t));
    }

    std::string_view s_;
    std::size_t i_ = 0;
    std::string text_;
    std::vector<HtmlToken> tokens_;
};

bool isBlock(const std::string& name) {
    static const char* const kBlocks[] = {
        "address", "article", "aside",    "blockquote", "dd",     "div",    "dl",
        "dt",      "footer",  "form",     "h1",         "h2",     "h3",     "h4",
        "h5",      "h6",      "header",   "hr",         "li",     "main",   "nav",
        "ol",      "p",       "pre",      "section",    "table",  "tr",     "ul",
        "caption", "body",    "fieldset", "figure",     "option", "center", "tbody"};
    for (const char* b : kBlocks) {
        if (name == b)
            return true;
    }
    return false;
}

bool isHeading(const std::string& name) {
    return name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6';
}

// Collects text as the user sees it: runs of blanks (no-break spaces too) become one blank,
// and line breaks come only from the structure.
class TextBuilder {
  public:
    void add(std::string_view text) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (isBlank(text[i])) {
                pendingBlank_ = true;
                continue;
            }
            if (text[i] == '\xC2' && i + 1 < text.size() && text[i + 1] == '\xA0') {
                pendingBlank_ = true;
                ++i;
                continue;
            }
            if (pendingBlank_ && !atLineStart_)
                out_ += ' ';
            pendingBlank_ = false;
            atLineStart_ = false;
            out_ += text[i];
        }
    }
    void blank() { pendingBlank_ = true; }
    void lineBreak() {
        if (!out_.empty() && out_.back() != '\n')
            out_ += '\n';
        atLineStart_ = true;
        pendingBlank_ = false;
    }
    std::string result() const {
        std::string r = out_;
        while (!r.empty() && r.back() == '\n')
            r.pop_back();
        return r;
    }

  private:
    std::string out_;
    bool pendingBlank_ = false;
    bool atLineStart_ = true;
};

}  // namespace

std::string HtmlToken::attribute(std::string_view name) const {
    for (const auto& [key, value] : attributes) {
        if (key == name)
            return value;
    }
    return {};
}

std::string decodeEntities(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t amp = s.find('&', i);
        if (amp == std::string_view::npos) {
            out.append(s.substr(i));
            break;
        }
        out.append(s.substr(i, amp - i));
        i = amp + 1;
        if (i < s.size() && s[i] == '#') {
            std::size_t j = i + 1;
            const bool hex = j < s.size() && (s[j] == 'x' || s[j] == 'X');
            if (hex)
                ++j;
            const std::size_t digitsStart = j;
            std::uint32_t value = 0;
            while (j < s.size()) {
                const char c = s[j];
                int digit;
                if (isDigit(c))
                    digit = c - '0';
                else if (hex && ascii::lower(c) >= 'a' && ascii::lower(c) <= 'f')
                    digit = ascii::lower(c) - 'a' + 10;
                else
                    break;
                value = value * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
                if (value > 0x10FFFF)
                    value = 0x110000;  // stays out of range, never overflows
                ++j;
            }
            if (j == digitsStart) {
                out += '&';  // "&#" with no number is text
                continue;
            }
            if (j < s.size() && s[j] == ';')
                ++j;
            const bool invalid =
                value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF);
            appendUtf8(out, invalid ? 0xFFFD : value);
            i = j;
            continue;
        }
        std::size_t j = i;
        while (j < s.size() && j - i < 10 && (isAlpha(s[j]) || isDigit(s[j])))
            ++j;
        const std::string_view name = s.substr(i, j - i);
        const bool semicolon = j < s.size() && s[j] == ';';
        bool found = false;
        for (const NamedEntity& e : kEntities) {
            if (name == e.name && (semicolon || e.legacy)) {
                appendUtf8(out, e.cp);
                i = j + (semicolon ? 1 : 0);
                found = true;
                break;
            }
        }
        // The old names stand without their ";" even when letters follow ("&lt3" is "<3").
        for (std::size_t k = 0; !found && k < kEntities.size(); ++k) {
            const NamedEntity& e = kEntities[k];
            const std::string_view legacyName(e.name);
            if (e.legacy && name.size() > legacyName.size() &&
                name.substr(0, legacyName.size()) == legacyName) {
                appendUtf8(out, e.cp);
                i += legacyName.size();
                found = true;
            }
        }
        if (!found)
            out += '&';
    }
    return out;
}

std::vector<HtmlToken> tokenizeHtml(std::string_view html) {
    return Tokenizer(html).run();
}

HtmlPage readHtmlPage(std::string_view html) {
    const std::string clean = utf16ToUtf8(utf8ToUtf16(html));
    HtmlPage page;
    TextBuilder text, title;
    std::vector<TextBuilder> linkTexts;
    bool inLink = false;
    bool inTitle = false;
    bool inHeading = false;
    TextBuilder heading;
    std::string group;
    bool hidden = false;  // inside script or style
    for (const HtmlToken& t : tokenizeHtml(clean)) {
        switch (t.kind) {
            case HtmlToken::Kind::StartTag:
                if (t.text == "script" || t.text == "style") {
                    hidden = true;
                } else if (t.text == "title") {
                    inTitle = true;
                } else if (t.text == "a") {
                    // Links do not nest: a new one ends the one before.
                    const bool current =
                        std::ranges::any_of(t.attributes, [](const auto& attribute) {
                            return attribute.first == "aria-current" && attribute.second != "false";
                        });
                    page.links.push_back({{}, t.attribute("href"), current, group});
                    linkTexts.emplace_back();
                    inLink = true;
                } else if (isHeading(t.text)) {
                    inHeading = true;
                    heading = TextBuilder();
                    text.lineBreak();
                } else if (t.text == "br") {
                    text.lineBreak();
                    if (inLink)
                        linkTexts.back().blank();
                } else if (t.text == "td" || t.text == "th") {
                    text.blank();
                } else if (isBlock(t.text)) {
                    text.lineBreak();
                    if (inLink)
                        linkTexts.back().blank();
                }
                break;
            case HtmlToken::Kind::EndTag:
                if (t.text == "script" || t.text == "style") {
                    hidden = false;
                } else if (t.text == "title") {
                    inTitle = false;
                } else if (t.text == "a") {
                    inLink = false;
                } else if (isHeading(t.text) && inHeading) {
                    inHeading = false;
                    group = heading.result();
                    text.lineBreak();
                } else if (t.text == "td" || t.text == "th") {
                    text.blank();
                } else if (isBlock(t.text)) {
                    text.lineBreak();
                    if (inLink)
                        linkTexts.back().blank();
                }
                break;
            case HtmlToken::Kind::Text:
                if (hidden)
                    break;
                if (inTitle) {
                    title.add(t.text);
                    break;
                }
                text.add(t.text);
                if (inHeading)
                    heading.add(t.text);
                if (inLink)
                    linkTexts.back().add(t.text);
                break;
            case HtmlToken::Kind::Comment:
                break;
        }
    }
    for (std::size_t k = 0; k < page.links.size(); ++k)
        page.links[k].text = linkTexts[k].result();
    page.title = title.result();
    page.text = text.result();
    return page;
}

}  // namespace sonorin::radio
