#include "radio/player/icy.h"

#include <algorithm>

#include "base/ascii.h"
#include "base/text.h"

namespace sonorin::radio {

namespace {

// Header lines, with the CR of a CR LF line end.
std::string_view trim(std::string_view text) {
    return ascii::trim(text, " \t\r");
}

bool validUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80         ? 1
                              : (c >> 5) == 6  ? 2
                              : (c >> 4) == 14 ? 3
                              : (c >> 3) == 30 ? 4
                                               : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2)
                return false;
        }
        i += n;
    }
    return true;
}

constexpr std::size_t kMaxBodyHeaders = 16 * 1024;

}  // namespace

BodyHeaderScan scanBodyHeaders(std::span<const std::uint8_t> start, BodyHeaders& out) {
    const std::string_view text(reinterpret_cast<const char*>(start.data()),
                                std::min(start.size(), kMaxBodyHeaders));
    // Only a status line, an icy- field or the content type starts such a block; anything
    // else is the body.
    const std::string head = ascii::lowered(text.substr(0, 13));
    for (std::string_view prefix : {"icy ", "http/", "icy-", "content-type:"}) {
        if (head.size() < prefix.size()) {
            if (std::string_view(prefix).starts_with(head))
                return BodyHeaderScan::NeedMore;
        } else if (head.starts_with(prefix)) {
            std::size_t end = text.find("\r\n\r\n");
            std::size_t endLength = 4;
            if (end == std::string_view::npos) {
                end = text.find("\n\n");
                endLength = 2;
            }
            if (end == std::string_view::npos) {
                return start.size() < kMaxBodyHeaders ? BodyHeaderScan::NeedMore
                                                      : BodyHeaderScan::None;
            }
            out = {};
            out.length = end + endLength;
            std::string_view lines = text.substr(0, end);
            while (!lines.empty()) {
                const std::size_t eol = lines.find('\n');
                const std::string_view line = lines.substr(0, eol);
                lines = eol == std::string_view::npos ? std::string_view() : lines.substr(eol + 1);
                const std::size_t colon = line.find(':');
                if (colon == std::string_view::npos)
                    continue;
                const std::string key = ascii::lowered(trim(line.substr(0, colon)));
                const std::string_view value = trim(line.substr(colon + 1));
                if (key == "content-type")
                    out.contentType = std::string(value);
                else if (key == "icy-metaint")
                    out.metaint = parseMetaint(value);
            }
            return BodyHeaderScan::Found;
        }
    }
    return BodyHeaderScan::None;
}

std::size_t parseMetaint(std::string_view text) {
    text = trim(text);
    std::size_t value = 0;
    if (text.empty() || text.size() > 7)
        return 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return 0;
        value = value * 10 + std::size_t(c - '0');
    }
    return value;
}

std::optional<std::string> streamTitle(std::string_view metadata) {
    const std::size_t nul = metadata.find('\0');
    if (nul != std::string_view::npos)
        metadata = metadata.substr(0, nul);
    constexpr std::string_view key = "StreamTitle='";
    const std::size_t start = metadata.find(key);
    if (start == std::string_view::npos)
        return std::nullopt;
    std::string_view value = metadata.substr(start + key.size());
    // The title may hold apostrophes itself: it ends at "';" or at the last quote.
    std::size_t end = value.find("';");
    if (end == std::string_view::npos)
        end = value.rfind('\'');
    if (end != std::string_view::npos)
        value = value.substr(0, end);
    std::string title(value);
    return validUtf8(title) ? title : gbkToUtf8(title);
}

void IcyStripper::feed(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& audio) {
    if (metaint_ == 0) {
        audio.insert(audio.end(), in.begin(), in.end());
        return;
    }
    while (!in.empty()) {
        if (!readingMetadata_) {
            const std::size_t n = std::min(audioLeft_, in.size());
            audio.insert(audio.end(), in.begin(), in.begin() + std::ptrdiff_t(n));
            in = in.subspan(n);
            audioLeft_ -= n;
            if (audioLeft_ == 0 && !in.empty()) {
                metadataLeft_ = std::size_t(in[0]) * 16;
                in = in.subspan(1);
                readingMetadata_ = metadataLeft_ > 0;
                metadata_.clear();
                if (!readingMetadata_)
                    audioLeft_ = metaint_;
            }
        } else {
            const std::size_t n = std::min(metadataLeft_, in.size());
            metadata_.append(reinterpret_cast<const char*>(in.data()), n);
            in = in.subspan(n);
            metadataLeft_ -= n;
            if (metadataLeft_ == 0) {
                readingMetadata_ = false;
                audioLeft_ = metaint_;
                if (auto title = streamTitle(metadata_)) {
                    // Stations repeat the same block every few seconds.
                    if (!haveTitle_ || *title != lastTitle_) {
                        haveTitle_ = true;
                        lastTitle_ = *title;
                        title_ = *title;
                    }
                }
            }
        }
    }
}

std::optional<std::string> IcyStripper::takeTitle() {
    auto title = std::move(title_);
    title_.reset();
    return title;
}

}  // namespace sonorin::radio
