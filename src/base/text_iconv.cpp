// Code page 936 on the host, through the C library's iconv. Only the tests and host tools run
// this; the Windows build converts with the system's own tables (text_win32.cpp), and both
// follow the same rules for what cannot be converted.
#include <iconv.h>

#include <cerrno>

#include "base/gbk_fallback.h"
#include "base/text.h"

namespace sonorin {
namespace {

// Opened per call: conversions are rare (the plan file) and a private descriptor keeps the
// functions free of shared state.
class Iconv {
  public:
    // toGbk: UTF-8 -> code page 936, else the other way round.
    explicit Iconv(bool toGbk) {
        // glibc knows the code page under both names; other C libraries may have one only.
        for (const char* name : {"CP936", "GBK"}) {
            cd_ = toGbk ? iconv_open(name, "UTF-8") : iconv_open("UTF-8", name);
            if (cd_ != invalid())
                break;
        }
    }
    ~Iconv() {
        if (ok())
            iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool ok() const { return cd_ != invalid(); }

    // Converts all of `in` and appends it to `out`. On any error (an unconvertible or
    // incomplete character) returns false and leaves `out` as it was. Without a converter
    // (the C library lacks the code page) everything fails, so only ASCII gets through.
    bool convert(std::string_view in, std::string& out) {
        if (!ok())
            return false;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
        std::string result;
        char* inPtr = const_cast<char*>(in.data());
        std::size_t inLeft = in.size();
        char buffer[256];
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t rc = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            const auto written = static_cast<std::size_t>(outPtr - buffer);
            result.append(buffer, written);
            if (rc == static_cast<std::size_t>(-1)) {
                // E2BIG only means the buffer is full; anything else is a bad character. A
                // full buffer with nothing written would never progress.
                if (errno != E2BIG || written == 0)
                    return false;
            }
        }
        out += result;
        return true;
    }

  private:
    static iconv_t invalid() { return reinterpret_cast<iconv_t>(-1); }
    iconv_t cd_;
};

// Length of the UTF-8 sequence starting with `lead`; the input is already well formed.
std::size_t utf8Length(unsigned char lead) {
    return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

// glibc's iconv drops the tag characters U+E0000-U+E007F and reports success; Windows
// writes '?' for them, as for every character GBK cannot hold.
std::string withoutTags(std::string text) {
    // Their UTF-8 forms are F3 A0 80 80 to F3 A0 81 BF.
    for (std::size_t at = text.find("\xF3\xA0"); at != std::string::npos;
         at = text.find("\xF3\xA0", at)) {
        const auto third = static_cast<unsigned char>(at + 2 < text.size() ? text[at + 2] : 0);
        if (at + 3 < text.size() && (third == 0x80 || third == 0x81)) {
            text.replace(at, 4, "?");
            ++at;
        } else {
            at += 2;
        }
    }
    return text;
}

}  // namespace

std::string gbkToUtf8(std::string_view gbk) {
    Iconv cv(false);
    std::string out;
    if (cv.convert(gbk, out))
        return out;

    // Something in the text is not GBK.
    return gbk::toUtf8ByCharacter(
        gbk, [&cv](std::string_view ch, std::string& utf8) { return cv.convert(ch, utf8); });
}

std::string utf8ToGbk(std::string_view utf8) {
    // Malformed UTF-8 becomes U+FFFD here, which GBK cannot hold, so it ends up as '?'.
    const std::string clean = withoutTags(utf16ToUtf8(utf8ToUtf16(utf8)));
    Iconv cv(true);
    std::string out;
    if (cv.convert(clean, out))
        return out;

    out.clear();
    std::size_t i = 0;
    while (i < clean.size()) {
        const std::size_t length = utf8Length(static_cast<unsigned char>(clean[i]));
        const std::string_view ch = std::string_view(clean).substr(i, length);
        if (length == 1) {
            out += ch;
        } else if (!cv.convert(ch, out)) {
            out += '?';
        }
        i += length;
    }
    return out;
}

}  // namespace sonorin
