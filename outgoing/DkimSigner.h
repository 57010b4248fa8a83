#pragma once

#include "common/Result.h"
#include "settings/Settings.h"

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

struct evp_pkey_st;

namespace tidecast::outgoing
{

// Signs finished messages with DKIM (RFC 6376): relaxed/relaxed canonicalization, rsa-sha256 or
// ed25519-sha256 (RFC 8463) by the key's type, over the originator and content fields a reader
// sees and the List-Unsubscribe fields when present. Copies share the loaded key; signing does
// not change the signer, so copies may sign on several threads.
class DkimSigner
{
public:
    enum class Algorithm
    {
        RsaSha256,
        Ed25519Sha256,
    };

    // The fields signed when present, in the order they are listed in h=.
    static constexpr std::string_view kSignedFields[] = {
        "From",
        "To",
        "Subject",
        "Date",
        "Message-ID",
        "MIME-Version",
        "Content-Type",
        "List-Unsubscribe",
        "List-Unsubscribe-Post",
    };

    // True when any of "DKIM Domain", "DKIM Selector" and "DKIM Key File" is set.
    static bool isConfigured(const settings::Settings& settings);

    // Loads the key of the settings. Fails with the text a person reads when a setting is missing,
    // the key file cannot be read, or the key is neither RSA of 2048 bits or more nor Ed25519.
    [[nodiscard]] static Result<DkimSigner> create(const settings::Settings& settings);

    // Fails with the text a person reads when the From address is not in the signing domain or
    // below it: receivers would not count such a signature for the sender.
    [[nodiscard]] Result<void> checkSender(std::string_view fromAddress) const;

    Algorithm algorithm() const { return m_algorithm; }

    // The message (CR LF line ends, header and body) with a DKIM-Signature field put in front.
    [[nodiscard]] Result<std::string> sign(std::string_view message, std::chrono::system_clock::time_point now) const;

    // The TXT record to publish at "<selector>._domainkey.<domain>": "v=DKIM1; k=rsa; p=...".
    std::string dnsRecord() const;
    // "<selector>._domainkey.<domain>"
    std::string dnsName() const;

private:
    DkimSigner() = default;

    std::string m_domain;
    std::string m_selector;
    Algorithm m_algorithm = Algorithm::RsaSha256;
    std::shared_ptr<evp_pkey_st> m_key;
};

// RFC 6376 3.4.2: the field name in lower case, the value unfolded, runs of blanks and tabs made
// one blank and trimmed at both ends: "name:value" followed by CR LF.
std::string relaxedHeaderField(std::string_view name, std::string_view value);

// RFC 6376 3.4.4: blanks and tabs at line ends removed, inner runs made one blank, empty lines at
// the end removed; a body that is not empty ends with CR LF.
std::string relaxedBody(std::string_view body);

} // namespace tidecast::outgoing
