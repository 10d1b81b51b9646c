// The little HTTP/1.x the program speaks: requests to the portal it serves, and the fetches of
// the pane that stands in for the browser control. Bodies go as they are; only what these two
// need of headers and addresses is read.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "radio/url.h"

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

// A response as read from the network: status line and headers up to the blank line, then
// the body. "Transfer-Encoding: chunked" bodies are joined. Nothing when there is no status
// line.
struct ParsedResponse {
    int status = 0;
    HttpHeaders headers;
    std::string body;
};
std::optional<ParsedResponse> parseResponse(std::string_view bytes);

// A response body as UTF-8, always valid: code page 936 when the charset of its Content-Type
// (else of a <meta> near the start) is GBK or one of its subsets; else the body as it is when
// it is valid UTF-8; else, when declared UTF-8, with malformed bytes as U+FFFD; else read as
// code page 936.
std::string bodyAsUtf8(const ParsedResponse& response);

}  // namespace sonorin::radio
