#include "radio/http.h"

#include <cctype>
#include <charconv>

#include "base/ascii.h"
#include "base/text.h"

namespace sonorin::radio {
namespace {

// Header lines and status lines, with the CR of a CR LF line end.
std::string_view trim(std::string_view s) {
    return ascii::trim(s, " \t\r");
}

bool isToken(std::string_view s) {
    if (s.empty())
        return false;
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7F || c == ':' || c == '(' || c == ')' || c == ',' || c == '"' ||
            c == '/' || c == '[' || c == ']' || c == '?' || c == '=' || c == '{' || c == '}' ||
            c == ';' || c == '@' || c == '\\' || c == '<' || c == '>')
            return false;
    }
    return true;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = ascii::lower(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string percentDecode(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '+') {
            out += ' ';
        } else if (s[i] == '%' && i + 2 < s.size() && hexValue(s[i + 1]) >= 0 &&
                   hexValue(s[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(s[i + 1]) * 16 + hexValue(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

// Header lines from `text` (CR LF or LF separated) into `headers`; false on a line without
// a colon or with a name that is not a token.
bool parseHeaderLines(std::string_view text, HttpHeaders& headers) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty())
            continue;
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || !isToken(line.substr(0, colon)))
            return false;
        headers.emplace_back(std::string(line.substr(0, colon)),
                             std::string(trim(line.substr(colon + 1))));
    }
    return true;
}

bool isValidUtf8(std::string_view s) {
    return utf16ToUtf8(utf8ToUtf16(s)) == s;
}

// The charset named in text like "text/html; charset=gbk" or a <meta> tag, lower case.
std::string charsetIn(std::string_view text) {
    const std::string low = ascii::lowered(text);
    const std::size_t at = low.find("charset=");
    if (at == std::string::npos)
        return {};
    std::size_t i = at + 8;
    while (i < low.size() && (low[i] == '"' || low[i] == '\'' || low[i] == ' '))
        ++i;
    std::size_t end = i;
    while (end < low.size() && (std::isalnum(static_cast<unsigned char>(low[end])) ||
                                low[end] == '-' || low[end] == '_'))
        ++end;
    return low.substr(i, end - i);
}

}  // namespace

std::optional<std::string> headerValue(const HttpHeaders& headers, std::string_view name) {
    for (const auto& [key, value] : headers) {
        if (ascii::equalsNoCase(key, name))
            return value;
    }
    return std::nullopt;
}

std::string HttpRequest::path() const {
    return target.substr(0, target.find('?'));
}

std::string HttpRequest::query() const {
    const std::size_t q = target.find('?');
    return q == std::string::npos ? std::string() : target.substr(q + 1);
}

std::size_t requestHeadSize(std::string_view bytes) {
    // Blank lines before the request line are not its end (parseRequest skips them).
    const std::size_t start = std::min(bytes.find_first_not_of("\r\n"), bytes.size());
    const std::size_t crlf = bytes.find("\r\n\r\n", start);
    const std::size_t lf = bytes.find("\n\n", start);
    if (crlf == std::string_view::npos && lf == std::string_view::npos)
        return 0;
    if (lf == std::string_view::npos || (crlf != std::string_view::npos && crlf < lf))
        return crlf + 4;
    return lf + 2;
}

std::optional<HttpRequest> parseRequest(std::string_view head) {
    // Blank lines before the request line are allowed.
    while (!head.empty() && (head.front() == '\r' || head.front() == '\n'))
        head.remove_prefix(1);
    const std::size_t lineEnd = head.find('\n');
    const std::string_view line = trim(head.substr(0, lineEnd));
    const std::size_t first = line.find(' ');
    const std::size_t last = line.rfind(' ');
    if (first == std::string_view::npos || first == last)
        return std::nullopt;
    HttpRequest request;
    request.method = std::string(line.substr(0, first));
    request.target = std::string(line.substr(first + 1, last - first - 1));
    request.version = std::string(line.substr(last + 1));
    if (!isToken(request.method) || request.target.empty() ||
        request.target.find(' ') != std::string::npos || request.version.substr(0, 5) != "HTTP/")
        return std::nullopt;
    if (lineEnd != std::string_view::npos &&
        !parseHeaderLines(head.substr(lineEnd + 1), request.headers))
        return std::nullopt;
    return request;
}

std::optional<std::string> queryValue(std::string_view query, std::string_view name) {
    std::size_t start = 0;
    while (start <= query.size()) {
        std::size_t end = query.find('&', start);
        if (end == std::string_view::npos)
            end = query.size();
        const std::string_view pair = query.substr(start, end - start);
        start = end + 1;
        const std::size_t eq = pair.find('=');
        if (percentDecode(pair.substr(0, eq)) == name)
            return eq == std::string_view::npos ? std::string()
                                                : percentDecode(pair.substr(eq + 1));
    }
    return std::nullopt;
}

std::string reasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 204:
            return "No Content";
        case 301:
            return "Moved Permanently";
        case 400:
            return "Bad Request";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 421:
            return "Misdirected Request";
        case 431:
            return "Request Header Fields Too Large";
        default:
            return "Error";
    }
}

std::string HttpResponse::serialize(bool withBody) const {
    std::string out = "HTTP/1.1 " + std::to_string(status) + " " + reasonPhrase(status) + "\r\n";
    for (const auto& [name, value] : headers)
        out += name + ": " + value + "\r\n";
    if (status != 204)
        out += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    out += "Connection: close\r\n\r\n";
    if (withBody && status != 204)
        out += body;
    return out;
}

std::optional<ParsedResponse> parseResponse(std::string_view bytes) {
    if (bytes.substr(0, 5) != "HTTP/")
        return std::nullopt;
    std::size_t headEnd = bytes.find("\r\n\r\n");
    std::size_t bodyStart = headEnd == std::string_view::npos ? 0 : headEnd + 4;
    const std::size_t lfEnd = bytes.find("\n\n");
    if (lfEnd != std::string_view::npos && (headEnd == std::string_view::npos || lfEnd < headEnd)) {
        headEnd = lfEnd;
        bodyStart = lfEnd + 2;
    }
    if (headEnd == std::string_view::npos) {
        headEnd = bytes.size();
        bodyStart = bytes.size();
    }
    const std::string_view head = bytes.substr(0, headEnd);
    const std::size_t lineEnd = head.find('\n');
    const std::string_view statusLine = trim(head.substr(0, lineEnd));
    const std::size_t space = statusLine.find(' ');
    if (space == std::string_view::npos)
        return std::nullopt;
    ParsedResponse response;
    // Three digits: from_chars alone would also take a sign ("-01").
    const std::string_view code = statusLine.substr(space + 1, 3);
    if (code.size() != 3 || code.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    std::from_chars(code.data(), code.data() + code.size(), response.status);
    // A malformed header line is dropped, not fatal: pages from elsewhere are taken as sent.
    if (lineEnd != std::string_view::npos) {
        std::size_t start = lineEnd + 1;
        while (start < head.size()) {
            std::size_t e = head.find('\n', start);
            if (e == std::string_view::npos)
                e = head.size();
            HttpHeaders one;
            if (parseHeaderLines(head.substr(start, e - start), one))
                response.headers.insert(response.headers.end(), one.begin(), one.end());
            start = e + 1;
        }
    }
    std::string_view body = bytes.substr(bodyStart);
    const auto encoding = headerValue(response.headers, "Transfer-Encoding");
    if (encoding && ascii::lowered(*encoding).find("chunked") != std::string::npos) {
        std::size_t i = 0;
        while (i < body.size()) {
            const std::size_t e = body.find('\n', i);
            if (e == std::string_view::npos)
                break;
            std::size_t size = 0;
            const std::string_view sizeText = trim(body.substr(i, e - i));
            const auto [p, err] =
                std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), size, 16);
            (void)p;
            if (err != std::errc() || size == 0)
                break;
            i = e + 1;
            // The size comes from the network: a chunk that claims more than arrived (up to
            // sizes that would wrap the offset round) ends the body with what is there.
            if (size > body.size() - i) {
                response.body.append(body.substr(i));
                break;
            }
            response.body.append(body.substr(i, size));
            i += size;
            while (i < body.size() && (body[i] == '\r' || body[i] == '\n'))
                ++i;
        }
    } else {
        response.body = std::string(body);
    }
    return response;
}

std::string bodyAsUtf8(const ParsedResponse& response) {
    std::string charset = charsetIn(headerValue(response.headers, "Content-Type").value_or(""));
    if (charset.empty())
        charset = charsetIn(std::string_view(response.body).substr(0, 1024));
    if (charset == "gbk" || charset == "gb2312" || charset == "gb18030" || charset == "cp936")
        return gbkToUtf8(response.body);
    if (isValidUtf8(response.body))
        return response.body;
    // Declared UTF-8 that is not: the malformed bytes become U+FFFD. Any other charset is one
    // this program does not read; code page 936 is the likeliest.
    if (charset == "utf-8" || charset == "utf8")
        return utf16ToUtf8(utf8ToUtf16(response.body));
    return gbkToUtf8(response.body);
}

}  // namespace sonorin::radio
