#include "outgoing/MessageMerge.h"

#include "common/Text.h"
#include "common/WordWrap.h"
#include "mime/MimeText.h"
#include "outgoing/MergeMacros.h"

#include <filesystem>
#include <system_error>
#include <unordered_set>

namespace tidecast::outgoing
{

namespace
{

constexpr int kDefaultWrapWidth = 70; // used when the stored width is 0

bool isFile(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

} // namespace

MessageMerge::MessageMerge(const OutgoingMessage& message, std::size_t wrapWidth)
    : m_subject(message.subject)
    , m_text(message.body)
    , m_attachments(message.attachments)
    , m_personal(message.mode == SendMode::Personal)
    , m_wrap(message.wrap)
    , m_wrapWidth(wrapWidth)
    , m_customAttachments(message.customAttachments)
    , m_attachField(message.attachField)
{
    if (!message.identity.signature.empty()) {
        m_text += "\r\n\r\n";
        m_text += message.identity.signature;
    }
    mime::normalizeLineBreaks(m_text);
    m_textHasMacros = m_personal && hasMergeMacros(m_text);
    m_subjectHasMacros = m_personal && hasMergeMacros(m_subject);
}

std::size_t MessageMerge::wrapWidth(const settings::Settings& settings)
{
    return static_cast<std::size_t>(settings.wrapWidth > 0 ? settings.wrapWidth : kDefaultWrapWidth);
}

std::string MessageMerge::subject(const store::RecipientRecord* recipient) const
{
    std::string subject = m_subject;
    if (m_subjectHasMacros && recipient != nullptr) {
        replaceMergeMacros(subject, *recipient);
    }
    return subject;
}

std::string MessageMerge::text(const store::RecipientRecord* recipient) const
{
    if (!m_textHasMacros || recipient == nullptr) {
        return wrapped(m_text);
    }
    // Merged first, then wrapped: a long merged value must not leave a line over the width.
    std::string merged = m_text;
    replaceMergeMacros(merged, *recipient);
    mime::normalizeLineBreaks(merged);
    return wrapped(std::move(merged));
}

std::string MessageMerge::wrapped(std::string text) const
{
    return m_wrap ? wordWrap(text, m_wrapWidth) : text;
}

std::vector<std::string> MessageMerge::listedAttachments() const
{
    std::vector<std::string> paths;
    std::unordered_set<std::string> seen;
    for (const std::string& entry : m_attachments) {
        std::string path(trimBlanks(entry));
        if (!path.empty() && seen.insert(path).second) {
            paths.push_back(std::move(path));
        }
    }
    return paths;
}

std::vector<std::pair<int, std::string>> MessageMerge::customAttachments(const store::RecipientRecord& recipient) const
{
    std::vector<std::pair<int, std::string>> found;
    if (!m_personal || !m_customAttachments) {
        return found;
    }
    static constexpr store::RecipientField kFields[] = {store::RecipientField::Field1, store::RecipientField::Field2,
                                                        store::RecipientField::Field3, store::RecipientField::Field4};
    // The fourth field's file comes first.
    for (int index = 3; index >= 0; --index) {
        const auto slot = static_cast<std::size_t>(index);
        std::string path(trimBlanks(recipient.get(kFields[slot])));
        if (m_attachField[slot] && !path.empty() && isFile(path)) {
            found.emplace_back(index + 1, std::move(path));
        }
    }
    return found;
}

} // namespace tidecast::outgoing
