#include "base/datetext_picture.h"

#include <algorithm>

namespace sonorin::datetext {
namespace {

bool isFieldLetter(char c) {
    switch (c) {
        case 'd':
        case 'M':
        case 'y':
        case 'g':
        case 'h':
        case 'H':
        case 'm':
        case 's':
        case 't':
            return true;
        default:
            return false;
    }
}

// The first character of a UTF-8 string ("上" of "上午", "A" of "AM").
std::string_view firstCharacter(std::string_view s) {
    if (s.empty())
        return s;
    const auto lead = static_cast<unsigned char>(s[0]);
    const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return s.substr(0, std::min(length, s.size()));
}

}  // namespace

Picture tokenize(std::string_view picture) {
    Picture tokens;
    auto literal = [&tokens](std::string_view text) {
        if (tokens.empty() || tokens.back().field != 0)
            tokens.push_back(Token{});
        tokens.back().text += text;
    };
    std::size_t i = 0;
    while (i < picture.size()) {
        const char c = picture[i];
        if (isFieldLetter(c)) {
            std::size_t j = i;
            while (j < picture.size() && picture[j] == c)
                ++j;
            tokens.push_back(Token{c, static_cast<int>(j - i), {}});
            i = j;
        } else if (c == '\'') {
            // 'text' is literal; a doubled quote, inside or outside, is one quote.
            if (i + 1 < picture.size() && picture[i + 1] == '\'') {
                literal("'");
                i += 2;
                continue;
            }
            ++i;
            std::string text;
            while (i < picture.size()) {
                if (picture[i] == '\'') {
                    if (i + 1 < picture.size() && picture[i + 1] == '\'') {
                        text += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                text += picture[i++];
            }
            literal(text);
        } else {
            literal(picture.substr(i, 1));
            ++i;
        }
    }
    return tokens;
}

std::string_view designator(const DateFormats& formats, bool pm, int count) {
    const std::string_view full = pm ? formats.pm : formats.am;
    return count == 1 ? firstCharacter(full) : full;
}

}  // namespace sonorin::datetext
