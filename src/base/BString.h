#pragma once
#include <string>

#include <windows.h>
#include <oleauto.h>

// Sole owner of a BSTR handed out by a COM call.
class BString {
public:
    BString() = default;
    explicit BString(const std::wstring& text)
        : text_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    BString(const BString&) = delete;
    BString& operator=(const BString&) = delete;
    ~BString() { reset(); }

    BSTR get() const noexcept { return text_; }
    explicit operator bool() const noexcept { return text_ != nullptr; }
    std::wstring str() const { return text_ ? std::wstring(text_, SysStringLen(text_)) : std::wstring(); }
    void reset() noexcept {
        SysFreeString(text_);
        text_ = nullptr;
    }
    BSTR* receive() noexcept {
        reset();
        return &text_;
    }

private:
    BSTR text_ = nullptr;
};
