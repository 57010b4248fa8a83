#pragma once

#include "common/Result.h"
#include "store/RecipientRecord.h"
#include "store/RecipientStore.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tidecast::outgoing
{

inline constexpr std::string_view kPreviewTitle = "Text Message - Preview - (filters are ignored)";
inline constexpr std::string_view kPreviewHtmlFile = "tcpreview.html";
inline constexpr std::string_view kPreviewSaveError = "Error saving HTML Preview file.";

// What the preview shows a message with.
struct PreviewInput
{
    std::string senderName;
    std::string senderAddress;
    std::string signature;
    std::string subject;
    std::string body; // CR LF line breaks
    std::string htmlPath;
    std::vector<std::string> attachments;
    bool wrap = true;
    std::size_t wrapWidth = 76;
    std::string groupName;
    bool bulkMode = false;
    std::string bulkToText;
    bool customAttachments = false;
    std::array<bool, 4> attachField{};
};

// The message as one recipient of the group will receive it, before anything is sent: merged for
// the current recipient in personal mode, unmerged in bulk mode. Changes nothing; filters, the
// partial window and the exclusion list do not apply.
class MessagePreview
{
public:
    MessagePreview(PreviewInput input, std::filesystem::path dataDir);

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

    const store::RecipientRecord& recipient() const { return m_recipient; }
    std::int64_t position() const { return m_position; }

private:
    void readCurrent();

    PreviewInput m_input;
    std::filesystem::path m_dataDir;
    store::RecipientStore m_group;
    store::RecipientRecord m_recipient;
    std::int64_t m_position = 0; // 1-based; 0 when no recipient
    std::int64_t m_count = 0;
};

} // namespace tidecast::outgoing
