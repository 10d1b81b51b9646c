// Addresses: the http addresses the portal's pages and the stand-in pane use, and references
// (links, playlist entries) read against the address of the page or list they came from.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sonorin::radio {

// `reference` read against the absolute address `base` ("scheme://authority/path?query") as a
// browser reads a link: an address with a scheme of its own stands as it is, "//host/x" takes
// the scheme of `base`, "/x" its scheme and authority, "?q" also its path, "#f" also its query;
// anything else is a path relative to the folder of `base`. "." and ".." segments are folded.
// Without such a base the reference is returned as it is.
std::string resolveUrl(std::string_view base, std::string_view reference);

// "http://host[:port]/path?query" split up; nothing for other schemes or a malformed address
// (blanks or control characters in it). Bytes outside ASCII in the path and query are
// percent-encoded, so that the target can stand in a request line as it is.
struct HttpUrl {
    std::string host;
    int port = 80;
    std::string target = "/";  // path and query, never empty

    std::string hostHeader() const;  // "host" or "host:port"
    std::string text() const;        // the whole address again
};
std::optional<HttpUrl> parseHttpUrl(std::string_view address);

// An href of a page at `base`, resolved as above after the blanks around it are cut off and
// what may not stand in a request line is percent-encoded. Nothing when the result is not an
// http address (mailto:, javascript:, …).
std::optional<HttpUrl> resolveUrl(const HttpUrl& base, std::string_view reference);

}  // namespace sonorin::radio
