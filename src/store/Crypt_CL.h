#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/CryptHandles.h"

// RC4 cipher of the stored photo-service token, keyed by the MD5 of a pass
// phrase's first 16 bytes through the platform's enhanced provider.
class Crypt_CL {
public:
    // The provider refuses more in one call; a token of 50 characters fits.
    static constexpr size_t kMaxDataBytes = 100;

    Crypt_CL() = default;
    Crypt_CL(const Crypt_CL&) = delete;
    Crypt_CL& operator=(const Crypt_CL&) = delete;
    virtual ~Crypt_CL();

    // 0 on success; -1 provider, -2 hash, -3 hashing, -4 key failed (nothing is then held).
    int32_t init(const std::wstring& pass_phrase);
    // Empty on failure or for more than kMaxDataBytes.
    std::vector<uint8_t> encrypt(const std::vector<uint8_t>& data);
    std::vector<uint8_t> decrypt(const std::vector<uint8_t>& data);

private:
    void release() noexcept;
    std::vector<uint8_t> transform(const std::vector<uint8_t>& data, bool encrypting);

    // The order matters: members are destroyed key first, provider last.
    CryptProvider provider_;
    CryptHash hash_;
    CryptKey key_;
};

// The token as stored in the settings file: lowercase hexadecimal of the
// enciphered UTF-16LE bytes; empty when it cannot be enciphered.
std::wstring encrypt_token(const std::wstring& token);
// Empty for stored text that is not even-length lowercase hexadecimal or does not decipher.
std::wstring decrypt_token(const std::wstring& stored);
