#include "radio/http.h"

#include <cctype>
#include <charconv>

#include "base/text.h"

namespace sonorin::radio {
namespace {

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string lowered(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = lower(c);
    return out;
}

bool equalNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
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
    c = lower(c);
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

// Removes "." and ".." segments of an absolute path.
std::string normalizePath(std::string_view path) {
    std::vector<std::string_view> segments;
    std::size_t start = 1;
    const bool trailing = path.size() > 1 && path.back() == '/';
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view segment = path.substr(start, end - start);
        start = end + 1;
        if (segment == ".")
            continue;
        if (segment == "..") {
            if (!segments.empty())
                segments.pop_back();
            continue;
        }
        if (!segment.empty() || end < path.size())
            segments.push_back(segment);
    }
    std::string out;
    for (std::string_view segment : segments)
        out += "/" + std::string(segment);
    if (out.empty() || (trailing && out.back() != '/'))
        out += "/";
    return out;
}

bool isValidUtf8(std::string_view s) {
    return utf16ToUtf8(utf8ToUtf16(s)) == s;
}

// The charset named in text like "text/html; charset=gbk" or a <meta> tag, lower case.
std::string charsetIn(std::string_view text) {
    const std::string low = lowered(text);
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
        if (equalNoCase(key, name))
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

std::string HttpUrl::hostHeader() const {
    return port == 80 ? host : host + ":" + std::to_string(port);
}

std::string HttpUrl::text() const {
    return "http://" + hostHeader() + target;
}

std::optional<HttpUrl> parseHttpUrl(std::string_view address) {
    if (address.size() < 7 || !equalNoCase(address.substr(0, 7), "http://"))
        return std::nullopt;
    address.remove_prefix(7);
    const std::size_t slash = address.find_first_of("/?#");
    std::string_view authority = address.substr(0, slash);
    std::string_view rest = slash == std::string_view::npos ? "" : address.substr(slash);
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1);  // user information is not sent
    HttpUrl url;
    const std::size_t colon = authority.rfind(':');
    if (colon != std::string_view::npos && authority.find(']', colon) == std::string_view::npos) {
        const std::string_view port = authority.substr(colon + 1);
        int value = 0;
        if (!port.empty()) {
            const auto [end, error] =
                std::from_chars(port.data(), port.data() + port.size(), value);
            if (error != std::errc() || end != port.data() + port.size() || value < 1 ||
                value > 65535)
                return std::nullopt;
            url.port = value;
        }
        authority = authority.substr(0, colon);
    }
    if (authority.empty())
        return std::nullopt;
    for (char c : authority) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == '/' || c == '\\')
            return std::nullopt;
    }
    url.host = lowered(authority);
    rest = rest.substr(0, rest.find('#'));
    for (char c : rest) {
        if (static_cast<unsigned char>(c) < 0x20 || c == ' ')
            return std::nullopt;
    }
    url.target = rest.empty() || rest.front() == '?' ? "/" + std::string(rest) : std::string(rest);
    return url;
}

std::optional<HttpUrl> resolveUrl(const HttpUrl& base, std::string_view reference) {
    // Blanks around an href are not part of it.
    while (!reference.empty() && static_cast<unsigned char>(reference.front()) <= 0x20)
        reference.remove_prefix(1);
    while (!reference.empty() && static_cast<unsigned char>(reference.back()) <= 0x20)
        reference.remove_suffix(1);
    std::string ref(reference);
    // Encode what may not stand in a request line; browsers do the same.
    std::string encoded;
    for (char c : ref) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7F) {
            static const char kHex[] = "0123456789ABCDEF";
            encoded += '%';
            encoded += kHex[u >> 4];
            encoded += kHex[u & 15];
        } else {
            encoded += c;
        }
    }
    ref = encoded;
    const std::size_t colon = ref.find(':');
    const std::size_t delimiter = ref.find_first_of("/?#");
    if (colon != std::string::npos && (delimiter == std::string::npos || colon < delimiter))
        return parseHttpUrl(ref);  // has a scheme of its own
    if (ref.substr(0, 2) == "//")
        return parseHttpUrl("http:" + ref);
    HttpUrl url = base;
    const std::string basePath = base.target.substr(0, base.target.find('?'));
    ref = ref.substr(0, ref.find('#'));
    if (ref.empty())
        return url;
    if (ref.front() == '?') {
        url.target = basePath + ref;
        return url;
    }
    const std::size_t q = ref.find('?');
    const std::string path = ref.substr(0, q);
    const std::string query = q == std::string::npos ? "" : ref.substr(q);
    if (path.front() == '/')
        url.target = normalizePath(path) + query;
    else
        url.target = normalizePath(basePath.substr(0, basePath.rfind('/') + 1) + path) + query;
    return url;
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
    const std::string_view code = statusLine.substr(space + 1, 3);
    const auto [end, error] =
        std::from_chars(code.data(), code.data() + code.size(), response.status);
    if (error != std::errc() || end != code.data() + code.size())
        return std::nullopt;
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
    if (encoding && lowered(*encoding).find("chunked") != std::string::npos) {
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
    if (charset.empty() && !isValidUtf8(response.body))
        return gbkToUtf8(response.body);
    return response.body;
}

}  // namespace sonorin::radio
