#include "photoservice/MD5_CL.h"

#include <cstring>

#include "base/CryptHandles.h"

bool MD5_CL::compute_md5(const void* data, size_t length, unsigned char (&digest)[kDigestSize]) const noexcept
{
    std::memset(digest, 0, kDigestSize);
    if (length == 0 || length > MAXDWORD)
        return false;
    CryptProvider provider;
    CryptHash hash;
    unsigned char value[kDigestSize];
    DWORD value_size = sizeof(value);
    const bool ok =
        CryptAcquireContextW(provider.receive(), nullptr, nullptr, PROV_RSA_FULL,
                             CRYPT_VERIFYCONTEXT | CRYPT_MACHINE_KEYSET) &&
        CryptCreateHash(provider.get(), CALG_MD5, 0, 0, hash.receive()) &&
        CryptHashData(hash.get(), static_cast<const BYTE*>(data), static_cast<DWORD>(length), 0) &&
        CryptGetHashParam(hash.get(), HP_HASHVAL, value, &value_size, 0) && value_size == kDigestSize;
    if (ok)
        std::memcpy(digest, value, kDigestSize);
    return ok;
}

std::string MD5_CL::md5_hex(const std::string& text) const
{
    unsigned char digest[kDigestSize];
    if (!compute_md5(text.data(), text.size(), digest))
        return {};
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : digest) {
        hex.push_back(kHex[byte >> 4]);
        hex.push_back(kHex[byte & 0x0F]);
    }
    return hex;
}
