#include "outgoing/MessagePreview.h"

#include "common/Text.h"
#include "common/WordWrap.h"
#include "outgoing/MergeMacros.h"
#include "store/GroupNames.h"

#include <system_error>

namespace tidecast::outgoing
{

namespace
{

bool isFile(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

} // namespace

MessagePreview::MessagePreview(PreviewInput input, std::filesystem::path dataDir)
    : m_input(std::move(input))
    , m_dataDir(std::move(dataDir))
{}

void MessagePreview::open()
{
    if (m_input.bulkMode) {
        return;
    }
    const auto path = m_dataDir / (m_input.groupName + std::string(store::kGroupExtension));
    if (!store::RecipientStore::isDatabase(path) || !m_group.open(path)) {
        return;
    }
    m_count = m_group.recordCount();
    if (m_count > 0 && m_group.moveFirst()) {
        m_position = 1;
        readCurrent();
    }
}

void MessagePreview::close()
{
    (void)m_group.close();
}

void MessagePreview::readCurrent()
{
    m_recipient = m_group.hasCurrent() ? store::readRecipient(m_group) : store::RecipientRecord{};
}

std::string MessagePreview::senderLabel() const
{
    return m_input.senderName.empty() ? m_input.senderAddress : m_input.senderName;
}

std::string MessagePreview::recipientLabel() const
{
    if (m_input.bulkMode) {
        return m_input.bulkToText;
    }
    if (m_position == 0) {
        return {};
    }
    const std::string name = std::string(trimBlanks(m_recipient.get(store::RecipientField::FirstName) + " " +
                                                    m_recipient.get(store::RecipientField::LastName)));
    return name.empty() ? m_recipient.emailAddress() : name;
}

std::string MessagePreview::subject() const
{
    std::string subject = m_input.subject;
    if (!m_input.bulkMode && m_position > 0 && hasMergeMacros(subject)) {
        replaceMergeMacros(subject, m_recipient);
    }
    return subject;
}

std::string MessagePreview::body() const
{
    std::string body = m_input.body;
    if (!m_input.signature.empty()) {
        body += std::string(kCrLf) + std::string(kCrLf) + m_input.signature;
    }
    if (m_input.wrap) {
        body = wordWrap(body, m_input.wrapWidth);
    }
    if (!m_input.bulkMode && m_position > 0 && hasMergeMacros(body)) {
        replaceMergeMacros(body, m_recipient);
    }
    return body;
}

std::vector<std::string> MessagePreview::attachments() const
{
    std::vector<std::string> files;
    for (const auto& path : m_input.attachments) {
        if (isFile(path)) {
            files.push_back(path);
        }
    }
    if (!m_input.bulkMode && m_input.customAttachments && m_position > 0) {
        constexpr std::array fields = {store::RecipientField::Field1, store::RecipientField::Field2,
                                       store::RecipientField::Field3, store::RecipientField::Field4};
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const auto value = std::string(trimBlanks(m_recipient.get(fields[i])));
            if (m_input.attachField[i] && isFile(value)) {
                files.push_back(value);
            }
        }
    }
    return files;
}

bool MessagePreview::canViewHtml() const
{
    return isFile(m_input.htmlPath);
}

bool MessagePreview::canViewNext() const
{
    return !m_input.bulkMode && m_position > 0 && m_position < m_count;
}

bool MessagePreview::canViewPrevious() const
{
    return !m_input.bulkMode && m_position > 1;
}

void MessagePreview::viewNext()
{
    if (canViewNext() && m_group.moveNext()) {
        ++m_position;
        readCurrent();
    }
}

void MessagePreview::viewPrevious()
{
    if (canViewPrevious() && m_group.movePrevious()) {
        --m_position;
        readCurrent();
    }
}

Result<std::filesystem::path> MessagePreview::htmlToView() const
{
    const std::filesystem::path html(m_input.htmlPath);
    if (m_input.bulkMode) {
        return html;
    }
    std::string text = readWholeFile(html);
    if (text.empty()) {
        return std::filesystem::path();
    }
    if (m_position > 0) {
        replaceMergeMacros(text, m_recipient, MergeEscape::Html);
    }
    const auto preview = html.parent_path() / kPreviewHtmlFile;
    std::error_code ec;
    std::filesystem::remove(preview, ec);
    if (!writeWholeFile(preview, text)) {
        return Error{ErrorCode::FileWrite, std::string(kPreviewSaveError), 0};
    }
    return preview;
}

} // namespace tidecast::outgoing
