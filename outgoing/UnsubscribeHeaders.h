#pragma once

#include "common/Result.h"
#include "outgoing/OutgoingMessage.h"
#include "settings/Settings.h"
#include "store/RecipientRecord.h"

#include <string>
#include <string_view>

namespace tidecast::outgoing
{

// The one-click unsubscribe fields of a mailing: List-Unsubscribe (RFC 2369) with the configured
// mailto address and URL, and List-Unsubscribe-Post (RFC 8058) when there is a URL. The URL may
// hold merge macros; each merged value is percent-encoded so it stays one URL.
class UnsubscribeHeaders
{
public:
    static constexpr std::string_view kListUnsubscribe = "List-Unsubscribe";
    static constexpr std::string_view kListUnsubscribePost = "List-Unsubscribe-Post";
    static constexpr std::string_view kOneClick = "List-Unsubscribe=One-Click";

    // Fails with the text a person reads when the URL is not https, the mailto is not one
    // address, or a bulk mailing's URL holds a merge macro (it would go out unmerged).
    [[nodiscard]] static Result<UnsubscribeHeaders> create(const settings::Settings& settings, SendMode mode);

    bool isEmpty() const { return m_mailto.empty() && m_url.empty(); }
    bool hasOneClick() const { return !m_url.empty(); }
    bool isPersonal() const { return m_personal; }

    // The List-Unsubscribe value; without a recipient the macros stay as they are.
    std::string listUnsubscribe(const store::RecipientRecord* recipient) const;

private:
    std::string m_mailto; // "<mailto:...>" or empty
    std::string m_url;    // the URL template, outside its macros already safe for a header
    bool m_personal = false;
};

} // namespace tidecast::outgoing
