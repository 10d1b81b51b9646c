#include "radio/player/playlist.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "base/ascii.h"
#include "base/text.h"
#include "radio/url.h"

namespace sonorin::radio {

namespace {

// The text as UTF-8 without a byte-order mark.
std::string decode(std::string_view bytes) {
    const bool le = bytes.starts_with("\xFF\xFE");
    const bool be = bytes.starts_with("\xFE\xFF");
    if (le || be) {
        std::u16string units;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const auto a = static_cast<unsigned char>(bytes[i]);
            const auto b = static_cast<unsigned char>(bytes[i + 1]);
            units.push_back(char16_t(le ? a | b << 8 : a << 8 | b));
        }
        return utf16ToUtf8(units);
    }
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    return std::string(bytes);
}

std::vector<std::string_view> lines(std::string_view text) {
    std::vector<std::string_view> out;
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        out.push_back(ascii::trim(text.substr(0, end)));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return out;
}

bool isWebAddress(std::string_view url) {
    return ascii::startsWithNoCase(url, "http://") || ascii::startsWithNoCase(url, "https://");
}

// The text of each <location> element, its character entities replaced. XSPF needs no more:
// a location holds a URI and nothing else.
std::vector<std::string> xspfLocations(std::string_view text) {
    static constexpr std::pair<std::string_view, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::vector<std::string> out;
    const std::string lowered = ascii::lowered(text);
    for (std::size_t at = 0;;) {
        const std::size_t open = lowered.find("<location>", at);
        if (open == std::string::npos)
            break;
        const std::size_t begin = open + std::string_view("<location>").size();
        const std::size_t close = lowered.find("</location>", begin);
        if (close == std::string::npos)
            break;
        const std::string_view raw = ascii::trim(text.substr(begin, close - begin));
        std::string location;
        for (std::size_t i = 0; i < raw.size();) {
            bool replaced = false;
            for (const auto& [entity, character] : kEntities) {
                if (raw.substr(i).starts_with(entity)) {
                    location += character;
                    i += entity.size();
                    replaced = true;
                    break;
                }
            }
            if (!replaced)
                location += raw[i++];
        }
        out.push_back(std::move(location));
        at = close;
    }
    return out;
}

}  // namespace

bool isHlsPlaylist(std::string_view bytes) {
    const std::string text = decode(bytes);
    for (std::string_view line : lines(text)) {
        if (line.starts_with("#EXT-X-TARGETDURATION") || line.starts_with("#EXT-X-STREAM-INF") ||
            line.starts_with("#EXT-X-MEDIA-SEQUENCE")) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> parsePlaylist(std::string_view bytes, std::string_view baseUrl) {
    const std::string text = decode(bytes);
    const std::vector<std::string_view> all = lines(text);
    const bool pls = std::any_of(all.begin(), all.end(), [](std::string_view line) {
        return ascii::equalsNoCase(line, "[playlist]");
    });
    const std::string head = ascii::lowered(std::string_view(text).substr(0, 1024));
    const bool xspf =
        head.find("<playlist") != std::string::npos && text.find("<location") != std::string::npos;
    std::vector<std::string> raw;
    if (xspf) {
        raw = xspfLocations(text);
    } else if (pls) {
        // FileN entries in the order of N, whatever their order in the file.
        std::multimap<long, std::string> files;
        for (std::string_view line : all) {
            const std::size_t equals = line.find('=');
            const std::string key = ascii::lowered(ascii::trim(line.substr(0, equals)));
            if (equals == std::string_view::npos || !key.starts_with("file"))
                continue;
            const std::string number = key.substr(4);
            if (number.empty() || number.size() > 6 ||
                !std::all_of(number.begin(), number.end(),
                             [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
                continue;
            }
            files.emplace(std::stol(number), std::string(ascii::trim(line.substr(equals + 1))));
        }
        for (auto& [number, entry] : files)
            raw.push_back(entry);
    } else {
        for (std::string_view line : all) {
            if (!line.empty() && !line.starts_with('#'))
                raw.emplace_back(line);
        }
    }
    std::vector<std::string> out;
    for (const std::string& entry : raw) {
        std::string url = resolveUrl(baseUrl, entry);
        if (isWebAddress(url) && std::find(out.begin(), out.end(), url) == out.end())
            out.push_back(std::move(url));
    }
    return out;
}

}  // namespace sonorin::radio
