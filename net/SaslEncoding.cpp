#include "net/SaslEncoding.h"

#include "common/Base64.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <vector>

namespace tidecast::net
{

namespace
{

const unsigned char* bytesOf(std::string_view text)
{
    return reinterpret_cast<const unsigned char*>(text.data());
}

} // namespace

std::string saslEncode(std::string_view bytes)
{
    return base64Encode(bytes, 0);
}

std::optional<std::string> saslDecode(std::string_view text)
{
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
        text.remove_suffix(1);
    }
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    std::string out(text.size() / 4 * 3, '\0');
    const int written =
        EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()), bytesOf(text), static_cast<int>(text.size()));
    if (written < 0) {
        return std::nullopt;
    }
    // EVP_DecodeBlock counts the padding as data; drop one byte per '='.
    std::size_t size = static_cast<std::size_t>(written);
    for (auto it = text.rbegin(); it != text.rend() && *it == '=' && size > 0; ++it) {
        --size;
    }
    out.resize(size);
    return out;
}

std::string cramMd5Response(std::string_view username, std::string_view password, std::string_view challenge)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestSize = 0;
    HMAC(EVP_md5(), password.data(), static_cast<int>(password.size()), bytesOf(challenge), challenge.size(), digest,
         &digestSize);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string response(username);
    response += ' ';
    for (unsigned int i = 0; i < digestSize; ++i) {
        response += kHex[digest[i] >> 4];
        response += kHex[digest[i] & 0x0f];
    }
    return response;
}

} // namespace tidecast::net
