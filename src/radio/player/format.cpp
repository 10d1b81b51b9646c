#include "radio/player/format.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "base/ascii.h"
#include "radio/player/frames.h"

namespace sonorin::radio {

namespace {

// The media type without parameters: "audio/mpeg; charset=x" -> "audio/mpeg".
std::string mediaType(std::string_view contentType) {
    std::string type = ascii::lowered(contentType.substr(0, contentType.find(';')));
    type.erase(std::remove_if(type.begin(), type.end(), ascii::isSpace), type.end());
    return type;
}

// The extension of the address's path, lower case, without the dot.
std::string extension(std::string_view url) {
    url = url.substr(0, url.find_first_of("?#"));
    const std::size_t slash = url.rfind('/');
    const std::size_t dot = url.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return {};
    return ascii::lowered(url.substr(dot + 1));
}

std::uint32_t le32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
int le16(const std::uint8_t* p) {
    return int(p[0]) | int(p[1]) << 8;
}

}  // namespace

StreamKind detectStreamKind(std::string_view contentType, std::string_view url,
                            std::span<const std::uint8_t> head, bool complete) {
    std::string_view text(reinterpret_cast<const char*>(head.data()), head.size());
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    const std::size_t firstChar = text.find_first_not_of(" \t\r\n");
    const std::string start = ascii::lowered(
        text.substr(firstChar == std::string_view::npos ? text.size() : firstChar, 16));
    if (start.starts_with("[playlist]"))
        return StreamKind::Pls;
    if (start.starts_with("#extm3u"))
        return StreamKind::M3u;
    if (head.size() >= 4 && std::memcmp(head.data(), "OggS", 4) == 0)
        return StreamKind::Ogg;
    // An XSPF playlist is XML whose root is "playlist" (Icecast serves one for each mount).
    if (start.starts_with("<?xml") || start.starts_with("<playlist")) {
        const std::string xml = ascii::lowered(text.substr(0, 1024));
        if (xml.find("<playlist") != std::string::npos &&
            (xml.find("xspf.org") != std::string::npos ||
             xml.find("<tracklist") != std::string::npos))
            return StreamKind::Xspf;
        if (!complete && xml.find("<playlist") == std::string::npos && text.size() < 1024)
            return StreamKind::Unknown;  // the root element may still come
    }
    if (head.size() >= 12 && std::memcmp(head.data(), "RIFF", 4) == 0 &&
        std::memcmp(head.data() + 8, "WAVE", 4) == 0) {
        return StreamKind::Wav;
    }
    if (head.size() >= 3 && std::memcmp(head.data(), "ID3", 3) == 0)
        return StreamKind::Mp3;
    // MP3 and ADTS headers exclude each other (layer bits), so the earlier sync tells.
    const auto mp3 = findConfirmedSync(Codec::Mp3, head);
    const auto aac = findConfirmedSync(Codec::Aac, head);
    if (mp3 && (!aac || *mp3 < *aac))
        return StreamKind::Mp3;
    if (aac)
        return StreamKind::Aac;
    if (start.starts_with("<"))
        return StreamKind::Html;
    if (!complete)
        return StreamKind::Unknown;

    const std::string type = mediaType(contentType);
    const std::string ext = extension(url);
    if (type == "audio/x-scpls" || ext == "pls")
        return StreamKind::Pls;
    if (type == "application/xspf+xml" || ext == "xspf")
        return StreamKind::Xspf;
    if (type == "application/ogg" || type == "audio/ogg" || type == "audio/opus" ||
        type == "audio/vorbis" || ext == "ogg" || ext == "oga" || ext == "opus")
        return StreamKind::Ogg;
    if (type == "audio/x-mpegurl" || type == "audio/mpegurl" || type == "application/x-mpegurl" ||
        type == "application/vnd.apple.mpegurl" || ext == "m3u" || ext == "m3u8") {
        return StreamKind::M3u;
    }
    // A bare list of addresses served as plain text.
    if (start.starts_with("http://") || start.starts_with("https://"))
        return StreamKind::M3u;
    if (type == "text/html")
        return StreamKind::Html;
    return StreamKind::Unknown;
}

WavParse parseWavHeader(std::span<const std::uint8_t> head, WavFormat& out) {
    if (head.size() < 12)
        return WavParse::NeedMore;
    if (std::memcmp(head.data(), "RIFF", 4) != 0 || std::memcmp(head.data() + 8, "WAVE", 4) != 0)
        return WavParse::Invalid;
    // Chunks before the samples hold names and tags; more than this is not a stream to wait
    // for. Checked against the sizes the chunks claim, before their bytes arrive.
    constexpr std::size_t kMaxBeforeData = 1024 * 1024;
    bool haveFormat = false;
    WavFormat format;
    for (std::size_t at = 12;;) {
        if (at > kMaxBeforeData)
            return WavParse::Invalid;
        if (at + 8 > head.size())
            return WavParse::NeedMore;
        const std::uint8_t* chunk = head.data() + at;
        const std::uint32_t size = le32(chunk + 4);
        if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat)
                return WavParse::Invalid;
            format.dataOffset = at + 8;
            out = format;
            return WavParse::Ok;
        }
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16)
                return WavParse::Invalid;
            if (at + 8 + 16 > head.size())
                return WavParse::NeedMore;
            int tag = le16(chunk + 8);
            // WAVE_FORMAT_EXTENSIBLE names its real format in the first bytes of a GUID.
            if (tag == 0xFFFE) {
                if (size < 40)
                    return WavParse::Invalid;
                if (at + 8 + 26 > head.size())
                    return WavParse::NeedMore;
                tag = le16(chunk + 8 + 24);
            }
            format.channels = le16(chunk + 10);
            format.sampleRate = int(le32(chunk + 12));
            format.bitsPerSample = le16(chunk + 22);
            if (tag != 1 || format.channels < 1 || format.channels > 2 ||
                format.sampleRate < 4000 || format.sampleRate > 192000 ||
                (format.bitsPerSample != 8 && format.bitsPerSample != 16)) {
                return WavParse::Invalid;
            }
            haveFormat = true;
        }
        if (size > 1024 * 1024)
            return WavParse::Invalid;  // no header chunk is that big: not a stream we can play
        at += 8 + size + (size & 1);
    }
}

}  // namespace sonorin::radio
