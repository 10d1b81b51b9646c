// A BSTR owned by its holder: the strings the browser control takes and hands back.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>
#include <string_view>

#include "base/text.h"

namespace sonorin::win32 {

static_assert(sizeof(OLECHAR) == sizeof(char16_t), "BSTRs are UTF-16");

class Bstr {
  public:
    Bstr() = default;
    // Null (get() == nullptr) when there is no memory for it.
    explicit Bstr(std::u16string_view text)
        : b_(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                               static_cast<UINT>(text.size()))) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(b_); }

    BSTR get() const { return b_; }
    // For an out-parameter; the old string is freed first.
    BSTR* put() {
        SysFreeString(b_);
        b_ = nullptr;
        return &b_;
    }
    // A null BSTR is the empty string.
    std::string utf8() const {
        if (b_ == nullptr) {
            return {};
        }
        return utf16ToUtf8(
            std::u16string_view(reinterpret_cast<const char16_t*>(b_), SysStringLen(b_)));
    }

  private:
    BSTR b_ = nullptr;
};

}  // namespace sonorin::win32
