#include "outgoing/DkimSigner.h"

#include "common/Base64.h"
#include "common/Text.h"
#include "outgoing/DeliverabilityTexts.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <array>
#include <cstdio>
#include <vector>

namespace tidecast::outgoing
{

namespace
{

constexpr std::string_view kFieldName = "DKIM-Signature";
constexpr std::size_t kMinRsaBits = 2048;
constexpr std::size_t kSignatureLine = 72; // characters of b= per folded line

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Runs of blanks and tabs made one blank, the ends trimmed; line breaks of a folded field go.
std::string squeezeBlanks(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    bool pendingBlank = false;
    for (const char c : text) {
        if (c == '\r' || c == '\n') {
            continue;
        }
        if (isBlank(c)) {
            pendingBlank = !out.empty();
            continue;
        }
        if (pendingBlank) {
            out += ' ';
            pendingBlank = false;
        }
        out += c;
    }
    return out;
}

// One field of the header block: its name as written and the value after the colon with every
// continuation line, without the final CR LF.
struct HeaderField
{
    std::string_view name;
    std::string_view value;
};

std::vector<HeaderField> headerFields(std::string_view header)
{
    std::vector<HeaderField> fields;
    std::size_t at = 0;
    while (at < header.size()) {
        std::size_t end = header.find("\r\n", at);
        while (end != std::string_view::npos && end + 2 < header.size() && isBlank(header[end + 2])) {
            end = header.find("\r\n", end + 2);
        }
        if (end == std::string_view::npos) {
            end = header.size();
        }
        const std::string_view line = header.substr(at, end - at);
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos) {
            fields.push_back({line.substr(0, colon), line.substr(colon + 1)});
        }
        at = end + 2;
    }
    return fields;
}

std::string sha256(std::string_view data)
{
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int size = 0;
    EVP_Digest(data.data(), data.size(), digest.data(), &size, EVP_sha256(), nullptr);
    return std::string(reinterpret_cast<const char*>(digest.data()), size);
}

std::string lowerDomain(std::string_view text)
{
    std::string domain = toLowerAscii(trimWhitespace(text));
    while (domain.ends_with('.')) {
        domain.pop_back();
    }
    return domain;
}

// A header field value written piece by piece, each piece joined to the last by a separator, and
// continued on a new line (the separator's blank becomes the line break) where the line would
// pass 78 characters.
class FoldedField
{
public:
    explicit FoldedField(std::string_view name)
        : m_lineLength(name.size() + 1)
    {}

    void add(const std::string& piece, std::string_view separator = "; ")
    {
        if (m_value.empty()) {
            separator = " ";
        }
        if (m_lineLength + separator.size() + piece.size() > kPreferredLine) {
            breakLine(separator);
        } else {
            m_value += separator;
            m_lineLength += separator.size();
        }
        m_value += piece;
        m_lineLength += piece.size();
    }

    void breakLine(std::string_view separator)
    {
        while (separator.ends_with(' ')) {
            separator.remove_suffix(1);
        }
        m_value += separator;
        m_value += "\r\n\t";
        m_lineLength = 1;
    }

    std::string value() const { return m_value; }

private:
    static constexpr std::size_t kPreferredLine = 78;
    std::string m_value;
    std::size_t m_lineLength;
};

} // namespace

std::string relaxedHeaderField(std::string_view name, std::string_view value)
{
    return toLowerAscii(trimWhitespace(name)) + ":" + squeezeBlanks(value) + "\r\n";
}

std::string relaxedBody(std::string_view body)
{
    std::string out;
    out.reserve(body.size());
    std::size_t emptyLines = 0;
    std::size_t at = 0;
    while (at < body.size()) {
        std::size_t end = body.find("\r\n", at);
        const bool lastWithoutBreak = end == std::string_view::npos;
        if (lastWithoutBreak) {
            end = body.size();
        }
        std::string_view line = body.substr(at, end - at);
        while (!line.empty() && isBlank(line.back())) {
            line.remove_suffix(1);
        }
        if (line.empty()) {
            ++emptyLines;
        } else {
            // Empty lines count only when a line with text follows them.
            for (; emptyLines > 0; --emptyLines) {
                out += "\r\n";
            }
            bool inBlanks = false;
            for (const char c : line) {
                if (isBlank(c)) {
                    inBlanks = true;
                    continue;
                }
                if (inBlanks) {
                    out += ' ';
                    inBlanks = false;
                }
                out += c;
            }
            out += "\r\n";
        }
        at = end + 2;
    }
    return out;
}

bool DkimSigner::isConfigured(const settings::Settings& settings)
{
    return !trimWhitespace(settings.dkimDomain).empty() || !trimWhitespace(settings.dkimSelector).empty() ||
           !trimWhitespace(settings.dkimKeyFile).empty();
}

Result<DkimSigner> DkimSigner::create(const settings::Settings& settings)
{
    DkimSigner signer;
    signer.m_domain = lowerDomain(settings.dkimDomain);
    signer.m_selector = std::string(trimWhitespace(settings.dkimSelector));
    const std::string path(trimWhitespace(settings.dkimKeyFile));
    if (signer.m_domain.empty() || signer.m_selector.empty() || path.empty()) {
        return Error{ErrorCode::InvalidArgument, std::string(text::kDkimIncomplete)};
    }
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return Error{ErrorCode::FileRead, text::dkimKeyUnreadable(path)};
    }
    EVP_PKEY* key = PEM_read_PrivateKey(file, nullptr, nullptr, nullptr);
    std::fclose(file);
    if (key == nullptr) {
        return Error{ErrorCode::FileRead, text::dkimKeyUnreadable(path)};
    }
    signer.m_key = std::shared_ptr<EVP_PKEY>(key, EVP_PKEY_free);
    if (EVP_PKEY_get_base_id(key) == EVP_PKEY_ED25519) {
        signer.m_algorithm = Algorithm::Ed25519Sha256;
    } else if (EVP_PKEY_get_base_id(key) == EVP_PKEY_RSA && EVP_PKEY_get_bits(key) >= int(kMinRsaBits)) {
        signer.m_algorithm = Algorithm::RsaSha256;
    } else {
        return Error{ErrorCode::InvalidArgument, text::dkimKeyUnsupported(path)};
    }
    return signer;
}

Result<void> DkimSigner::checkSender(std::string_view fromAddress) const
{
    const std::size_t at = fromAddress.rfind('@');
    const std::string domain = at == std::string_view::npos ? std::string() : lowerDomain(fromAddress.substr(at + 1));
    if (domain == m_domain || domain.ends_with("." + m_domain)) {
        return {};
    }
    return Error{ErrorCode::InvalidArgument, text::dkimDomainMismatch(trimWhitespace(fromAddress), m_domain)};
}

std::string DkimSigner::dnsName() const
{
    return m_selector + "._domainkey." + m_domain;
}

std::string DkimSigner::dnsRecord() const
{
    std::string publicKey;
    if (m_algorithm == Algorithm::Ed25519Sha256) {
        // RFC 8463: the bare 32 octets of the public key.
        std::size_t size = 0;
        EVP_PKEY_get_raw_public_key(m_key.get(), nullptr, &size);
        publicKey.resize(size);
        EVP_PKEY_get_raw_public_key(m_key.get(), reinterpret_cast<unsigned char*>(publicKey.data()), &size);
        return "v=DKIM1; k=ed25519; p=" + base64Encode(publicKey, 0);
    }
    // RFC 6376 3.6.1: the DER SubjectPublicKeyInfo.
    const int size = i2d_PUBKEY(m_key.get(), nullptr);
    publicKey.resize(static_cast<std::size_t>(size));
    auto* out = reinterpret_cast<unsigned char*>(publicKey.data());
    i2d_PUBKEY(m_key.get(), &out);
    return "v=DKIM1; k=rsa; p=" + base64Encode(publicKey, 0);
}

Result<std::string> DkimSigner::sign(std::string_view message, std::chrono::system_clock::time_point now) const
{
    // The header block ends at the first empty line; a message without a body has none.
    std::size_t split = message.find("\r\n\r\n");
    const std::string_view header = message.substr(0, split == std::string_view::npos ? message.size() : split + 2);
    const std::string_view body = split == std::string_view::npos ? std::string_view() : message.substr(split + 4);

    // RFC 6376 5.4.2: a field that occurs more than once is signed in its last occurrence.
    const auto fields = headerFields(header);
    std::vector<std::string> names;
    std::string signedData;
    for (const std::string_view wanted : kSignedFields) {
        for (auto field = fields.rbegin(); field != fields.rend(); ++field) {
            if (equalsIgnoreCase(trimWhitespace(field->name), wanted)) {
                names.push_back(toLowerAscii(wanted));
                signedData += relaxedHeaderField(field->name, field->value);
                break;
            }
        }
    }

    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count();
    FoldedField field(kFieldName);
    field.add("v=1");
    field.add(std::string("a=") + (m_algorithm == Algorithm::RsaSha256 ? "rsa-sha256" : "ed25519-sha256"));
    field.add("c=relaxed/relaxed");
    field.add("d=" + m_domain);
    field.add("s=" + m_selector);
    field.add("t=" + std::to_string(seconds));
    for (std::size_t i = 0; i < names.size(); ++i) {
        field.add((i == 0 ? "h=" : ":") + names[i], i == 0 ? "; " : "");
    }
    field.add("bh=" + base64Encode(sha256(relaxedBody(body)), 0));
    field.breakLine("; ");
    field.add("b=", "");
    std::string value = field.value();
    // The field itself is signed last, with an empty b= and without its final line break.
    signedData += relaxedHeaderField(kFieldName, value);
    signedData.resize(signedData.size() - 2);

    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    // RFC 8463 3: Ed25519 signs the SHA-256 hash of the data; RSA hashes the data itself.
    const bool ed25519 = m_algorithm == Algorithm::Ed25519Sha256;
    const std::string input = ed25519 ? sha256(signedData) : signedData;
    std::size_t size = 0;
    if (!context ||
        EVP_DigestSignInit(context.get(), nullptr, ed25519 ? nullptr : EVP_sha256(), nullptr, m_key.get()) != 1 ||
        EVP_DigestSign(context.get(), nullptr, &size, reinterpret_cast<const unsigned char*>(input.data()),
                       input.size()) != 1) {
        return Error{ErrorCode::InvalidArgument, std::string(text::kDkimSigningFailed)};
    }
    std::string signature(size, '\0');
    if (EVP_DigestSign(context.get(), reinterpret_cast<unsigned char*>(signature.data()), &size,
                       reinterpret_cast<const unsigned char*>(input.data()), input.size()) != 1) {
        return Error{ErrorCode::InvalidArgument, std::string(text::kDkimSigningFailed)};
    }
    signature.resize(size);

    const std::string b = base64Encode(signature, 0);
    std::string out;
    out.reserve(message.size() + value.size() + b.size() + 64);
    out += kFieldName;
    out += ':';
    out += value;
    for (std::size_t at = 0; at < b.size(); at += kSignatureLine) {
        if (at > 0) {
            out += "\r\n\t ";
        }
        out += b.substr(at, kSignatureLine);
    }
    out += "\r\n";
    out += message;
    return out;
}

} // namespace tidecast::outgoing
