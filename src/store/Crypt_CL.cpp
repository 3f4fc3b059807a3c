#include "store/Crypt_CL.h"

#include <algorithm>

namespace {

// Only its first 8 characters (16 bytes) enter the key.
constexpr const wchar_t* kPassPhrase = L"TapestrelWallPaper";
constexpr size_t kKeyMaterialBytes = 16;
constexpr DWORD kKeyLength128 = 0x00800000;

int hex_digit(wchar_t c)
{
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    return -1;
}

}  // namespace

Crypt_CL::~Crypt_CL()
{
    release();
}

void Crypt_CL::release() noexcept
{
    key_.reset();
    hash_.reset();
    provider_.reset();
}

int32_t Crypt_CL::init(const std::wstring& pass_phrase)
{
    release();
    if (!CryptAcquireContextW(provider_.receive(), nullptr, MS_ENHANCED_PROV_W, PROV_RSA_FULL, 0) &&
        !CryptAcquireContextW(provider_.receive(), nullptr, MS_ENHANCED_PROV_W, PROV_RSA_FULL, CRYPT_NEWKEYSET)) {
        release();
        return -1;
    }
    if (!CryptCreateHash(provider_.get(), CALG_MD5, 0, 0, hash_.receive())) {
        release();
        return -2;
    }
    // A phrase shorter than 8 characters contributes what it has, never bytes beyond it.
    const size_t bytes = std::min(kKeyMaterialBytes, pass_phrase.size() * sizeof(wchar_t));
    if (!CryptHashData(hash_.get(), reinterpret_cast<const BYTE*>(pass_phrase.data()), static_cast<DWORD>(bytes), 0)) {
        release();
        return -3;
    }
    if (!CryptDeriveKey(provider_.get(), CALG_RC4, hash_.get(), kKeyLength128, key_.receive())) {
        release();
        return -4;
    }
    return 0;
}

std::vector<uint8_t> Crypt_CL::encrypt(const std::vector<uint8_t>& data)
{
    return transform(data, true);
}

std::vector<uint8_t> Crypt_CL::decrypt(const std::vector<uint8_t>& data)
{
    return transform(data, false);
}

std::vector<uint8_t> Crypt_CL::transform(const std::vector<uint8_t>& data, bool encrypting)
{
    if (!key_ || data.empty() || data.size() > kMaxDataBytes)
        return {};
    std::vector<uint8_t> buffer(data);
    buffer.push_back(0);
    DWORD length = static_cast<DWORD>(data.size());
    const BOOL ok = encrypting
        ? CryptEncrypt(key_.get(), 0, TRUE, 0, buffer.data(), &length, static_cast<DWORD>(buffer.size()))
        : CryptDecrypt(key_.get(), 0, TRUE, 0, buffer.data(), &length);
    if (!ok || length != data.size())
        return {};
    buffer.resize(data.size());
    return buffer;
}

std::wstring encrypt_token(const std::wstring& token)
{
    Crypt_CL crypt;
    if (crypt.init(kPassPhrase) != 0)
        return {};
    std::vector<uint8_t> bytes;
    for (wchar_t unit : token) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>((unit >> 8) & 0xFF));
    }
    static const wchar_t kHex[] = L"0123456789abcdef";
    std::wstring stored;
    for (uint8_t byte : crypt.encrypt(bytes)) {
        stored.push_back(kHex[byte >> 4]);
        stored.push_back(kHex[byte & 0x0F]);
    }
    return stored;
}

std::wstring decrypt_token(const std::wstring& stored)
{
    if (stored.size() % 2 != 0)
        return {};
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < stored.size(); i += 2) {
        const int high = hex_digit(stored[i]);
        const int low = hex_digit(stored[i + 1]);
        if (high < 0 || low < 0)
            return {};
        bytes.push_back(static_cast<uint8_t>(high << 4 | low));
    }
    Crypt_CL crypt;
    if (bytes.empty() || crypt.init(kPassPhrase) != 0)
        return {};
    const std::vector<uint8_t> plain = crypt.decrypt(bytes);
    std::wstring token;
    for (size_t i = 0; i + 1 < plain.size(); i += 2)
        token.push_back(static_cast<wchar_t>(plain[i] | plain[i + 1] << 8));
    return token;
}
