// The HTML reader of the stand-in pane, which reads pages from anywhere. Whatever the bytes,
// the tokens keep their promises (names in lower case) and the page read is valid UTF-8 with
// its blanks collapsed as the pane shows it.
#include <algorithm>
#include <cstdint>
#include <string>

#include "base/text.h"
#include "fuzz_check.h"
#include "radio/html.h"

namespace sonorin {
namespace {

bool isValidUtf8(const std::string& text) {
    return utf16ToUtf8(utf8ToUtf16(text)) == text;
}

bool hasUpperCase(const std::string& name) {
    return name.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") != std::string::npos;
}

void checkTokens(const std::string& input) {
    for (const radio::HtmlToken& token : radio::tokenizeHtml(input)) {
        const bool tag = token.kind == radio::HtmlToken::Kind::StartTag ||
                         token.kind == radio::HtmlToken::Kind::EndTag;
        if (!tag)
            continue;
        FUZZ_CHECK(!token.text.empty() && !hasUpperCase(token.text) &&
                       token.text.find_first_of(" \t\n\r\f/>") == std::string::npos,
                   fuzz::escaped(input) + " gave the tag " + fuzz::escaped(token.text));
        for (const auto& [name, value] : token.attributes)
            FUZZ_CHECK(!hasUpperCase(name), fuzz::escaped(input) + " gave " + fuzz::escaped(name));
    }
}

// One line of text as the pane shows it: valid UTF-8, no blank at either end, no two blanks
// together, no line break.
void checkLine(const std::string& line, const std::string& input) {
    FUZZ_CHECK(isValidUtf8(line), fuzz::escaped(input) + " gave " + fuzz::escaped(line));
    FUZZ_CHECK(!line.starts_with(' ') && !line.ends_with(' ') &&
                   line.find("  ") == std::string::npos &&
                   line.find_first_of("\t\n\r\f") == std::string::npos,
               fuzz::escaped(input) + " gave " + fuzz::escaped(line));
}

void checkPage(const std::string& input) {
    const radio::HtmlPage page = radio::readHtmlPage(input);
    checkLine(page.title, input);
    for (const radio::HtmlLink& link : page.links)
        checkLine(link.text, input);
    // The body text: lines as above, no empty line, none at either end. Malformed bytes become
    // U+FFFD (three bytes for one) and entities only shrink, so it is never more than three
    // times the input.
    FUZZ_CHECK(page.text.size() <= 3 * input.size(), fuzz::escaped(input));
    std::size_t start = 0;
    while (start <= page.text.size()) {
        const std::size_t end = std::min(page.text.find('\n', start), page.text.size());
        const std::string line = page.text.substr(start, end - start);
        FUZZ_CHECK(!line.empty() || page.text.empty(), fuzz::escaped(input));
        checkLine(line, input);
        start = end + 1;
    }
}

void checkEntities(const std::string& input) {
    const std::string decoded = radio::decodeEntities(input);
    if (input.find('&') == std::string::npos)
        FUZZ_CHECK(decoded == input, fuzz::escaped(input));
    if (isValidUtf8(input))
        FUZZ_CHECK(isValidUtf8(decoded), fuzz::escaped(input) + " gave " + fuzz::escaped(decoded));
}

}  // namespace
}  // namespace sonorin

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    sonorin::checkTokens(input);
    sonorin::checkPage(input);
    sonorin::checkEntities(input);
    return 0;
}
