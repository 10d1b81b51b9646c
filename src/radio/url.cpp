#include "radio/url.h"

#include <charconv>
#include <vector>

#include "base/ascii.h"

namespace sonorin::radio {
namespace {

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The length of the scheme the address starts with ("http" of "http://h/"): a letter, then
// letters, digits, "+", "-" and ".", ending at a colon. 0 when there is none, so that a path
// such as "a/b:c" or "1:2" is no scheme.
std::size_t schemeLength(std::string_view url) {
    const std::size_t colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0 || !isLetter(url[0]))
        return 0;
    for (char c : url.substr(1, colon - 1)) {
        if (!isLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
            return 0;
    }
    return colon;
}

// Folds the "." and ".." segments of an absolute path; one that ends the path leaves the
// folder's "/" ("/a/b/.." is "/a/").
std::string foldDots(std::string_view path) {
    std::vector<std::string_view> segments;
    std::size_t at = 1;
    while (at <= path.size()) {
        const std::size_t slash = path.find('/', at);
        const std::string_view segment =
            path.substr(at, slash == std::string_view::npos ? std::string_view::npos : slash - at);
        const bool last = slash == std::string_view::npos;
        if (segment == "..") {
            if (!segments.empty())
                segments.pop_back();
            if (last)
                segments.push_back("");
        } else if (segment == ".") {
            if (last)
                segments.push_back("");
        } else {
            segments.push_back(segment);
        }
        if (last)
            break;
        at = slash + 1;
    }
    std::string out;
    for (std::string_view segment : segments) {
        out += '/';
        out += segment;
    }
    return out.empty() ? "/" : out;
}

// Blanks, control characters and bytes outside ASCII as "%XX": what may not stand in a
// request line. Browsers send them so.
std::string percentEncoded(std::string_view text) {
    std::string out;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7F) {
            static const char kHex[] = "0123456789ABCDEF";
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 15];
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::string resolveUrl(std::string_view base, std::string_view reference) {
    if (schemeLength(reference) != 0)
        return std::string(reference);
    const std::size_t scheme = schemeLength(base);
    if (scheme == 0 || base.substr(scheme, 3) != "://")
        return std::string(reference);
    base = base.substr(0, base.find('#'));
    if (reference.starts_with("//"))
        return std::string(base.substr(0, scheme + 1)) + std::string(reference);

    const std::size_t pathStart = base.find_first_of("/?", scheme + 3);
    const std::string_view origin = base.substr(0, pathStart);
    const std::string_view pathAndQuery =
        pathStart == std::string_view::npos ? std::string_view() : base.substr(pathStart);
    const std::size_t queryStart = pathAndQuery.find('?');
    std::string basePath(pathAndQuery.substr(0, queryStart));
    if (basePath.empty())
        basePath = "/";
    const std::string_view baseQuery =
        queryStart == std::string_view::npos ? std::string_view() : pathAndQuery.substr(queryStart);

    // Query and fragment stay with the reference, outside the folding.
    const std::size_t tail = reference.find_first_of("?#");
    const std::string_view refPath = reference.substr(0, tail);
    const std::string_view refTail =
        tail == std::string_view::npos ? std::string_view() : reference.substr(tail);
    std::string path;
    if (refPath.starts_with('/'))
        path = std::string(refPath);
    else if (refPath.empty())
        path = basePath;
    else
        path = basePath.substr(0, basePath.rfind('/') + 1) + std::string(refPath);
    // Only a reference that is a fragment or nothing keeps the query of the base.
    const bool keepsQuery = refPath.empty() && !refTail.starts_with('?');
    return std::string(origin) + foldDots(path) + std::string(keepsQuery ? baseQuery : "") +
           std::string(refTail);
}

std::string HttpUrl::hostHeader() const {
    return port == 80 ? host : host + ":" + std::to_string(port);
}

std::string HttpUrl::text() const {
    return "http://" + hostHeader() + target;
}

std::optional<HttpUrl> parseHttpUrl(std::string_view address) {
    if (!ascii::startsWithNoCase(address, "http://"))
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
    // A colon left in the host ("a:b:") is no port and no host, unless it is an IPv6 literal.
    const bool literal = authority.front() == '[' && authority.back() == ']';
    if (!literal && authority.find(':') != std::string_view::npos)
        return std::nullopt;
    for (char c : authority) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == '/' || c == '\\')
            return std::nullopt;
    }
    url.host = ascii::lowered(authority);
    rest = rest.substr(0, rest.find('#'));
    for (char c : rest) {
        if (static_cast<unsigned char>(c) < 0x20 || c == ' ')
            return std::nullopt;
    }
    // A target typed or sent with bytes outside ASCII goes out encoded, as a link's would.
    const std::string target = percentEncoded(rest);
    url.target = rest.empty() || rest.front() == '?' ? "/" + target : target;
    return url;
}

std::optional<HttpUrl> resolveUrl(const HttpUrl& base, std::string_view reference) {
    // Blanks around an href are not part of it.
    while (!reference.empty() && static_cast<unsigned char>(reference.front()) <= 0x20)
        reference.remove_prefix(1);
    while (!reference.empty() && static_cast<unsigned char>(reference.back()) <= 0x20)
        reference.remove_suffix(1);
    return parseHttpUrl(resolveUrl(base.text(), percentEncoded(reference)));
}

}  // namespace sonorin::radio
