// The little HTTP/1.x the program speaks: requests to the portal it serves, and the fetches of
// the pane that stands in for the browser control. Bodies go as they are; only what these two
// need of headers and addresses is read.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sonorin::radio {

using HttpHeaders = std::vector<std::pair<std::string, std::string>>;

// The value of the first header of that name (any case), or nothing.
std::optional<std::string> headerValue(const HttpHeaders& headers, std::string_view name);

struct HttpRequest {
    std::string method;
    std::string target;  // as sent: path and query
    std::string version;
    HttpHeaders headers;

    std::string path() const;   // the target up to "?"
    std::string query() const;  // after "?", or empty
};

// The size of the request head in `bytes` (through the blank line), or 0 while it is not
// complete.
std::size_t requestHeadSize(std::string_view bytes);

// Parses a request head; nothing when its request line or a header line is malformed.
std::optional<HttpRequest> parseRequest(std::string_view head);

// The value of `name` in a query string ("a=1&b=2"), with "%xx" and "+" decoded; nothing
// when the name is missing.
std::optional<std::string> queryValue(std::string_view query, std::string_view name);

struct HttpResponse {
    int status = 200;
    HttpHeaders headers;
    std::string body;

    // Status line, headers, Content-Length, "Connection: close", blank line, then the body
    // (left out when `withBody` is false, as for HEAD; Content-Length still counts it).
    std::string serialize(bool withBody = true) const;
};

std::string reasonPhrase(int status);

// "http://host[:port]/path?query" split up; nothing for other schemes or a malformed address.
struct HttpUrl {
    std::string host;
    int port = 80;
    std::string target = "/";  // path and query, never empty

    std::string hostHeader() const;  // "host" or "host:port"
    std::string text() const;        // the whole address again
};
std::optional<HttpUrl> parseHttpUrl(std::string_view address);

// `reference` (an href) read against the page address `base`: absolute addresses, "//host",
// "/path", "?query", "#fragment" (the page itself) and relative paths. Nothing when the
// result is not an http address (mailto:, javascript:, …).
std::optional<HttpUrl> resolveUrl(const HttpUrl& base, std::string_view reference);

// A response as read from the network: status line and headers up to the blank line, then
// the body. "Transfer-Encoding: chunked" bodies are joined. Nothing when there is no status
// line.
struct ParsedResponse {
    int status = 0;
    HttpHeaders headers;
    std::string body;
};
std::optional<ParsedResponse> parseResponse(std::string_view bytes);

// A response body as UTF-8: by the charset of its Content-Type, else of a <meta> near the
// start, else UTF-8 when it is valid, else code page 936.
std::string bodyAsUtf8(const ParsedResponse& response);

}  // namespace sonorin::radio
