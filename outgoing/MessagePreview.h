#pragma once

#include "common/Clock.h"
#include "common/IdSource.h"
#include "common/Result.h"
#include "outgoing/MessageMerge.h"
#include "outgoing/OutgoingMessage.h"
#include "settings/Settings.h"
#include "store/RecipientRecord.h"
#include "store/RecipientStore.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tidecast::outgoing
{

inline constexpr std::string_view kPreviewTitle = "Text Message - Preview - (filters are ignored)";
inline constexpr std::string_view kPreviewHtmlFile = "tcpreview.html";
inline constexpr std::string_view kPreviewSaveError = "Error saving HTML Preview file.";

// The message as one recipient of the group will receive it, before anything is sent: merged for
// the current recipient in personal mode, unmerged in bulk mode. Changes nothing; filters, the
// partial window and the exclusion list do not apply.
class MessagePreview
{
public:
    // `wrapWidth` as MessageMerge::wrapWidth gives it for the mailing's settings.
    MessagePreview(OutgoingMessage message, std::string groupName, std::size_t wrapWidth,
                   std::filesystem::path dataDir);

    // Personal mode: opens the group file and shows its first recipient. A group file that
    // cannot be opened leaves the recipient empty.
    void open();
    void close();

    std::string senderLabel() const;
    std::string recipientLabel() const;
    std::string subject() const;
    std::string body() const;
    // The message's attachments that exist, then in personal mode the recipient's own files.
    std::vector<std::string> attachments() const;

    bool canViewHtml() const;
    bool canViewNext() const;
    bool canViewPrevious() const;
    void viewNext();
    void viewPrevious();

    // The file to open in the browser: in bulk mode the HTML file itself; in personal mode the
    // HTML merged for the current recipient, written as "tcpreview.html" beside it. Fails when
    // that file cannot be written; empty when the HTML file is empty.
    [[nodiscard]] Result<std::filesystem::path> htmlToView() const;

    // The header fields exactly as the mailing sends them to the current recipient, the DKIM
    // signature and unsubscribe fields included, up to the blank line that ends them. The whole
    // message is built, because the signature covers the body. Fails as the mailing would start:
    // a deliverability setting that cannot be used, a character the character set cannot carry.
    [[nodiscard]] Result<std::string> headersAsSent(const settings::Settings& settings, const Clock& clock,
                                                    IdSource& ids) const;

    const store::RecipientRecord& recipient() const { return m_recipient; }
    std::int64_t position() const { return m_position; }

private:
    void readCurrent();

    bool isBulk() const { return m_message.mode == SendMode::Bulk; }

    OutgoingMessage m_message;
    MessageMerge m_merge;
    std::string m_groupName;
    std::filesystem::path m_dataDir;
    store::RecipientStore m_group;
    store::RecipientRecord m_recipient;
    std::int64_t m_position = 0; // 1-based; 0 when no recipient
    std::int64_t m_count = 0;
};

} // namespace tidecast::outgoing
