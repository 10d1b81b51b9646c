#include "radio/player/answer_head.h"

#include <charconv>

#include "base/ascii.h"
#include "radio/player/icy.h"

namespace sonorin::radio {

namespace {

bool sameName(std::string_view a, std::string_view b) {
    return ascii::lowered(a) == ascii::lowered(b);
}

}  // namespace

bool isRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::string streamRequest(const HttpUrl& url) {
    return "GET " + url.target + " HTTP/1.0\r\nHost: " + url.hostHeader() +
           "\r\nUser-Agent: " + kUserAgent +
           "\r\nAccept: */*\r\nIcy-MetaData: 1\r\nConnection: close\r\n\r\n";
}

std::size_t answerHeadSize(std::string_view bytes) {
    const std::size_t crlf = bytes.find("\r\n\r\n");
    const std::size_t lf = bytes.find("\n\n");
    if (crlf == std::string_view::npos && lf == std::string_view::npos)
        return 0;
    if (lf != std::string_view::npos && (crlf == std::string_view::npos || lf < crlf))
        return lf + 2;
    return crlf + 4;
}

std::optional<AnswerHead> parseAnswerHead(std::string_view head) {
    const std::size_t lineEnd = head.find('\n');
    const std::string_view statusLine = ascii::trim(head.substr(0, lineEnd));
    const std::size_t space = statusLine.find(' ');
    const std::string_view protocol = statusLine.substr(0, space);
    if (space == std::string_view::npos || (!protocol.starts_with("HTTP/") && protocol != "ICY"))
        return std::nullopt;
    const std::string_view code = statusLine.substr(space + 1, 3);
    if (code.size() != 3 || code.find_first_not_of("0123456789") != std::string_view::npos ||
        (statusLine.size() > space + 4 && statusLine[space + 4] != ' ')) {
        return std::nullopt;
    }
    AnswerHead result;
    std::from_chars(code.data(), code.data() + 3, result.answer.status);
    std::size_t start = lineEnd == std::string_view::npos ? head.size() : lineEnd + 1;
    while (start < head.size()) {
        std::size_t end = head.find('\n', start);
        if (end == std::string_view::npos)
            end = head.size();
        const std::string_view line = head.substr(start, end - start);
        start = end + 1;
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        const std::string_view name = ascii::trim(line.substr(0, colon));
        const std::string_view value = ascii::trim(line.substr(colon + 1));
        if (sameName(name, "Content-Type")) {
            result.answer.contentType = std::string(value);
        } else if (sameName(name, "Content-Length")) {
            long long length = -1;
            const auto [end2, error] =
                std::from_chars(value.data(), value.data() + value.size(), length);
            if (error == std::errc() && end2 == value.data() + value.size() && length >= 0)
                result.answer.contentLength = length;
        } else if (sameName(name, "icy-metaint")) {
            result.answer.icyMetaint = parseMetaint(value);
        } else if (sameName(name, "Location")) {
            result.location = std::string(value);
        }
    }
    return result;
}

}  // namespace sonorin::radio
