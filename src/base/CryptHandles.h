#pragma once
#include <windows.h>
#include <wincrypt.h>

// Sole owner of one CryptoAPI handle; the traits say how it is released.
template <typename Traits>
class CryptHandle {
public:
    using Handle = typename Traits::Handle;

    CryptHandle() = default;
    CryptHandle(const CryptHandle&) = delete;
    CryptHandle& operator=(const CryptHandle&) = delete;
    ~CryptHandle() { reset(); }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != 0; }
    void reset() noexcept {
        if (handle_) Traits::release(handle_);
        handle_ = 0;
    }
    // Releases what is held and lends the slot to a function that fills it.
    Handle* receive() noexcept {
        reset();
        return &handle_;
    }

private:
    Handle handle_ = 0;
};

struct CryptProviderTraits {
    using Handle = HCRYPTPROV;
    static void release(Handle h) noexcept { CryptReleaseContext(h, 0); }
};
struct CryptHashTraits {
    using Handle = HCRYPTHASH;
    static void release(Handle h) noexcept { CryptDestroyHash(h); }
};
struct CryptKeyTraits {
    using Handle = HCRYPTKEY;
    static void release(Handle h) noexcept { CryptDestroyKey(h); }
};

using CryptProvider = CryptHandle<CryptProviderTraits>;
using CryptHash = CryptHandle<CryptHashTraits>;
using CryptKey = CryptHandle<CryptKeyTraits>;
