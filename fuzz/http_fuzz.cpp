// The HTTP the program reads from the network: request heads the portal's server receives,
// responses the stand-in pane fetches, and the links it follows. Whatever arrives, what is
// read keeps the shape the callers rely on, and what the portal writes reads back as written.
#include <algorithm>
#include <cstdint>
#include <string>

#include "base/ascii.h"
#include "base/text.h"
#include "fuzz_check.h"
#include "radio/http.h"

namespace sonorin {
namespace {

using radio::HttpUrl;

bool isValidUtf8(const std::string& text) {
    return utf16ToUtf8(utf8ToUtf16(text)) == text;
}

bool sameUrl(const HttpUrl& a, const HttpUrl& b) {
    return a.host == b.host && a.port == b.port && a.target == b.target;
}

// A target goes into a request line as it is: it starts with "/" and holds no blank, no
// control character and nothing outside ASCII. Its text reads back as the same address.
void checkUrl(const HttpUrl& url, const std::string& input) {
    FUZZ_CHECK(!url.host.empty() && url.port >= 1 && url.port <= 65535, fuzz::escaped(input));
    FUZZ_CHECK(url.target.starts_with('/'), fuzz::escaped(input) + " gave " + url.target);
    const auto again = radio::parseHttpUrl(url.text());
    FUZZ_CHECK(again && sameUrl(*again, url),
               fuzz::escaped(input) + " gave " + fuzz::escaped(url.text()));
}

void requests(const std::string& input) {
    const std::size_t size = radio::requestHeadSize(input);
    FUZZ_CHECK(size <= input.size(), fuzz::escaped(input));
    const std::string head = input.substr(0, size);
    FUZZ_CHECK(size == 0 || head.ends_with("\n\n") || head.ends_with("\r\n\r\n"),
               fuzz::escaped(input));
    const auto request = radio::parseRequest(size ? head : input);
    if (!request)
        return;
    FUZZ_CHECK(!request->method.empty() && !request->target.empty() &&
                   request->target.find(' ') == std::string::npos &&
                   request->version.starts_with("HTTP/"),
               fuzz::escaped(input));
    for (const auto& [name, value] : request->headers) {
        FUZZ_CHECK(!name.empty() && name.find_first_of(": \t\r\n") == std::string::npos,
                   fuzz::escaped(input) + " gave the name " + fuzz::escaped(name));
        FUZZ_CHECK(value.find('\n') == std::string::npos && ascii::trim(value, " \t\r") == value,
                   fuzz::escaped(input) + " gave the value " + fuzz::escaped(value));
    }
    radio::queryValue(request->query(), "station");

    // The headers read, sent back in a response, read back the same; the body too, whatever
    // its bytes (unless a header asks for chunks).
    radio::HttpResponse response;
    response.headers = request->headers;
    response.body = input;
    const auto encoding = radio::headerValue(response.headers, "Transfer-Encoding");
    if (encoding && ascii::lowered(*encoding).find("chunked") != std::string::npos)
        return;
    const auto back = radio::parseResponse(response.serialize());
    FUZZ_CHECK(back && back->status == 200 && back->body == input, fuzz::escaped(input));
    FUZZ_CHECK(
        back->headers.size() >= response.headers.size() &&
            std::equal(response.headers.begin(), response.headers.end(), back->headers.begin()),
        fuzz::escaped(input));
}

void responses(const std::string& input) {
    const auto response = radio::parseResponse(input);
    if (!response)
        return;
    FUZZ_CHECK(response->status >= 0 && response->status <= 999, fuzz::escaped(input));
    FUZZ_CHECK(response->body.size() <= input.size(), fuzz::escaped(input));
    const std::string text = radio::bodyAsUtf8(*response);
    FUZZ_CHECK(isValidUtf8(text), fuzz::escaped(input) + " gave " + fuzz::escaped(text));
}

// The first line is the page's address, the rest a link on it.
void addresses(const std::string& input) {
    const std::size_t lineEnd = input.find('\n');
    const std::string address = input.substr(0, lineEnd);
    const auto base = radio::parseHttpUrl(address);
    if (!base)
        return;
    checkUrl(*base, input);
    const std::string href = lineEnd == std::string::npos ? "" : input.substr(lineEnd + 1);
    if (const auto url = radio::resolveUrl(*base, href)) {
        checkUrl(*url, input);
        for (char c : url->target) {
            const auto u = static_cast<unsigned char>(c);
            FUZZ_CHECK(u > 0x20 && u < 0x7F, fuzz::escaped(input) + " gave " + url->target);
        }
    }
}

}  // namespace
}  // namespace sonorin

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    sonorin::requests(input);
    sonorin::responses(input);
    sonorin::addresses(input);
    return 0;
}
