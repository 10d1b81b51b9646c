// Code page 936 on the host, through the C library's iconv. Only the tests and host tools run
// this; the Windows build converts with the system's own tables (text_win32.cpp), and both
// follow the same rules for what cannot be converted.
#include <iconv.h>

#include <cerrno>

#include "base/text.h"

namespace sonorin {
namespace {

const char kReplacementUtf8[] = "\xEF\xBF\xBD";

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

bool isLeadByte(unsigned char b) {
    return b >= 0x81 && b <= 0xFE;
}
bool isTrailByte(unsigned char b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE);
}

// Length of the UTF-8 sequence starting with `lead`; the input is already well formed.
std::size_t utf8Length(unsigned char lead) {
    return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

}  // namespace

std::string gbkToUtf8(std::string_view gbk) {
    Iconv cv(false);
    std::string out;
    if (cv.convert(gbk, out))
        return out;

    // Something in the text is not GBK: go character by character. A lead byte followed by a
    // trail byte is one character; anything else is a single byte. A pair that does not
    // convert becomes U+FFFD, but when its second byte is ASCII that byte is kept, so one
    // stray byte cannot eat the character after it.
    out.clear();
    std::size_t i = 0;
    while (i < gbk.size()) {
        const auto b = static_cast<unsigned char>(gbk[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        const bool pair = isLeadByte(b) && i + 1 < gbk.size() &&
                          isTrailByte(static_cast<unsigned char>(gbk[i + 1]));
        const std::size_t length = pair ? 2 : 1;
        if (cv.convert(gbk.substr(i, length), out)) {
            i += length;
            continue;
        }
        out += kReplacementUtf8;
        i += pair && static_cast<unsigned char>(gbk[i + 1]) >= 0x80 ? 2 : 1;
    }
    return out;
}

std::string utf8ToGbk(std::string_view utf8) {
    // Malformed UTF-8 becomes U+FFFD here, which GBK cannot hold, so it ends up as '?'.
    const std::string clean = utf16ToUtf8(utf8ToUtf16(utf8));
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
