#pragma once

#include "outgoing/OutgoingMessage.h"
#include "settings/Settings.h"
#include "store/RecipientRecord.h"

#include <array>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace tidecast::outgoing
{

// What one recipient reads of a mailing's message, before character set and transfer encoding:
// the subject and the plain text merged with the recipient's fields (personal mode only) and the
// text wrapped after merging, and the files in the order they are attached. The message builder
// and the preview both use it, so a preview shows exactly what is sent.
class MessageMerge
{
public:
    MessageMerge(const OutgoingMessage& message, std::size_t wrapWidth);

    // The settings' wrap width, 70 when none is stored.
    static std::size_t wrapWidth(const settings::Settings& settings);

    // The plain text with the signature, CR LF line breaks, not merged and not wrapped.
    const std::string& text() const { return m_text; }
    // Personal mode only: the text or the subject holds a merge macro.
    bool textHasMacros() const { return m_textHasMacros; }
    bool subjectHasMacros() const { return m_subjectHasMacros; }

    // Without a recipient the macros stay as they are.
    std::string subject(const store::RecipientRecord* recipient) const;
    std::string text(const store::RecipientRecord* recipient) const;

    // The listed attachments as they are attached: trimmed, each path once.
    std::vector<std::string> listedAttachments() const;
    // Personal mode: the existing files named by the recipient's Additional Fields chosen for
    // attaching, with the field's number (1 to 4), in the order they follow the listed ones.
    std::vector<std::pair<int, std::string>> customAttachments(const store::RecipientRecord& recipient) const;

private:
    std::string wrapped(std::string text) const;

    std::string m_subject;
    std::string m_text;
    std::vector<std::string> m_attachments;
    bool m_personal = true;
    bool m_wrap = true;
    std::size_t m_wrapWidth = 70;
    bool m_customAttachments = false;
    std::array<bool, 4> m_attachField{};
    bool m_textHasMacros = false;
    bool m_subjectHasMacros = false;
};

} // namespace tidecast::outgoing
