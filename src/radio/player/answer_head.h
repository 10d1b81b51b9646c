// The player's own HTTP/1.0 for http:// stations: the request it sends and the head of the
// answer it reads, from an HTTP server or from a SHOUTcast one, whose status line is
// "ICY 200 OK".
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "radio/player/session.h"
#include "radio/url.h"

namespace sonorin::radio {

// The program's name and version, as it introduces itself to stations and directories.
inline constexpr char kUserAgent[] = "Sonorin/5.2";

// A head longer than this is not an answer the player can use (a signed CDN address in a
// Location header is a few kilobytes; this leaves room for many of them).
inline constexpr std::size_t kMaxAnswerHead = 64 * 1024;

// "GET target HTTP/1.0" with the host, the user agent and a request for ICY metadata. HTTP/1.0,
// so that the body comes as it is (never chunked) and ends when the server closes.
std::string streamRequest(const HttpUrl& url);

// The size of the answer's head at the start of `bytes`, through its blank line (CR LF CR LF,
// or LF LF as some SHOUTcast servers send it); 0 while the blank line has not come.
std::size_t answerHeadSize(std::string_view bytes);

struct AnswerHead {
    HttpAnswer answer;     // status, content type and length, ICY metadata interval
    std::string location;  // of a redirect, as sent
};

// The answers that send the player on to their Location.
bool isRedirect(int status);

// Nothing when the status line is neither "HTTP/x.y NNN …" nor "ICY NNN …". Header lines that
// are not "name: value" are skipped: stations send odd ones, and only a few headers matter.
std::optional<AnswerHead> parseAnswerHead(std::string_view head);

}  // namespace sonorin::radio
