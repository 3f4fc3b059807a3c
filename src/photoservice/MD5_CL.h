#pragma once
#include <cstddef>
#include <string>

// MD5 digests through the platform's cryptographic provider; holds no state.
class MD5_CL {
public:
    static constexpr size_t kDigestSize = 16;

    virtual ~MD5_CL() = default;

    // False (and a zero-filled digest) for no data or when the provider fails.
    [[nodiscard]] bool compute_md5(const void* data, size_t length, unsigned char (&digest)[kDigestSize]) const noexcept;
    // 32 lowercase hexadecimal digits, or empty when no digest could be made.
    std::string md5_hex(const std::string& text) const;
};
