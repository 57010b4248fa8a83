#include "outgoing/MessagePreview.h"

#include "common/Text.h"
#include "outgoing/MergeMacros.h"
#include "outgoing/MessageBuilder.h"
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

MessagePreview::MessagePreview(OutgoingMessage message, std::string groupName, std::size_t wrapWidth,
                               std::filesystem::path dataDir)
    : m_message(std::move(message))
    , m_merge(m_message, wrapWidth)
    , m_groupName(std::move(groupName))
    , m_dataDir(std::move(dataDir))
{}

void MessagePreview::open()
{
    if (isBulk()) {
        return;
    }
    const auto path = m_dataDir / (m_groupName + std::string(store::kGroupExtension));
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
    const auto& identity = m_message.identity;
    return identity.name.empty() ? identity.address : identity.name;
}

std::string MessagePreview::recipientLabel() const
{
    if (isBulk()) {
        return m_message.bulkToText;
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
    return m_merge.subject(m_position > 0 ? &m_recipient : nullptr);
}

std::string MessagePreview::body() const
{
    return m_merge.text(m_position > 0 ? &m_recipient : nullptr);
}

std::vector<std::string> MessagePreview::attachments() const
{
    std::vector<std::string> files;
    for (auto& path : m_merge.listedAttachments()) {
        if (isFile(path)) {
            files.push_back(std::move(path));
        }
    }
    if (m_position > 0) {
        for (auto& [field, path] : m_merge.customAttachments(m_recipient)) {
            files.push_back(std::move(path));
        }
    }
    return files;
}

bool MessagePreview::canViewHtml() const
{
    return isFile(m_message.htmlPath);
}

bool MessagePreview::canViewNext() const
{
    return !isBulk() && m_position > 0 && m_position < m_count;
}

bool MessagePreview::canViewPrevious() const
{
    return !isBulk() && m_position > 1;
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
    const std::filesystem::path html(m_message.htmlPath);
    if (isBulk()) {
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

Result<std::string> MessagePreview::headersAsSent(const settings::Settings& settings, const Clock& clock,
                                                  IdSource& ids) const
{
    auto builder = MessageBuilder::create(m_message, settings, clock, ids);
    if (!builder) {
        return builder.error();
    }
    NullProgress progress;
    auto text = builder->buildMessage(m_recipient, progress);
    if (!text) {
        return text.error();
    }
    const auto end = text->find("\r\n\r\n");
    text->resize(end == std::string::npos ? text->size() : end + 2);
    return text;
}

} // namespace tidecast::outgoing
