#pragma once

#include "common/ByteChain.h"
#include "common/Clock.h"
#include "common/IdSource.h"
#include "common/Progress.h"
#include "common/Result.h"
#include "mime/CharsetConverter.h"
#include "mime/EncodedFile.h"
#include "mime/MailMessage.h"
#include "outgoing/DkimSigner.h"
#include "outgoing/InlineImageTable.h"
#include "outgoing/MessageCache.h"
#include "outgoing/MessageMerge.h"
#include "outgoing/OutgoingMessage.h"
#include "outgoing/UnsubscribeHeaders.h"
#include "settings/Settings.h"
#include "store/RecipientRecord.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tidecast::outgoing
{

// Lines for the send dialog's activity list and the session log ("Building Message").
using ActivitySink = std::function<void(std::string_view line)>;

// A finished message that is not signed yet, with the time its Date field gives.
struct UnsignedMessage
{
    ByteChain bytes;
    std::chrono::system_clock::time_point date;
};

// Builds the complete Internet message of one mailing for each recipient (personal mode) or once
// for everybody (bulk mode): merge, character set, header encodings, MIME structure, transfer
// encodings and attachments. Bytes in, bytes out: no sockets. One builder lives for one send
// session and keeps the session's MessageCache; it is not thread-safe.
class MessageBuilder
{
public:
    // Prepares a session. Fails when the character set is unknown, a recipient-independent text
    // (subject, plain text, HTML, identity) holds a character the set cannot carry, or the
    // deliverability settings cannot be used (the error's detail says what to fix).
    [[nodiscard]] static Result<MessageBuilder> create(OutgoingMessage message, const settings::Settings& settings,
                                                       const Clock& clock, IdSource& ids);

    // The finished message text (CR LF line ends) for this recipient, DKIM-signed when the settings
    // name a key; in bulk mode the recipient is not used. Fails when a merged value holds a
    // character the character set cannot carry.
    [[nodiscard]] Result<std::string> buildMessage(const store::RecipientRecord& recipient, Progress& progress,
                                                   const ActivitySink& activity = {});
    // The same message with the encodings of attached files shared, not copied: what a mailing
    // sends, so that a large attachment is in memory once however many messages carry it.
    [[nodiscard]] Result<ByteChain> buildMessageBytes(const store::RecipientRecord& recipient, Progress& progress,
                                                      const ActivitySink& activity = {});

    // buildMessage() in two steps, so the costly signing can run on other threads: the message
    // before signing, then the message signed when the settings name a key. signMessage() does
    // not change the builder and may run on several threads at once, also during a build.
    [[nodiscard]] Result<UnsignedMessage> composeMessage(const store::RecipientRecord& recipient, Progress& progress,
                                                         const ActivitySink& activity = {});
    [[nodiscard]] Result<std::string> signMessage(UnsignedMessage message) const;

    // True when every message is DKIM-signed, which costs far more than building it.
    bool signsMessages() const { return m_signer.has_value(); }

    // The merge rules of this mailing, shared with the preview.
    const MessageMerge& merge() const { return m_merge; }

    const MessageCache& cache() const { return m_cache; }
    const OutgoingMessage& message() const { return m_message; }
    // The image table and unique suffix of the last build.
    const InlineImageTable& inlineImages() const { return m_images; }
    const std::string& uniqueSuffix() const { return m_suffix; }

    // Boundary prefixes: the related part outside, the alternative part inside, the mixed part
    // that carries file attachments outermost.
    static constexpr std::string_view kRelatedBoundaryPrefix = "----=_NextPart_001_002_";
    static constexpr std::string_view kAlternativeBoundaryPrefix = "----=_NextPart_000_001_";
    static constexpr std::string_view kMixedBoundaryPrefix = "----=_NextPart_002_003_";
    static constexpr std::string_view kPreamble = "This is a Multipart MIME message.";

    // A body and the Content-Transfer-Encoding it was written in.
    struct EncodedBody
    {
        std::string encoding;
        std::string text;
    };

private:
    using FileList = std::vector<std::shared_ptr<const mime::EncodedFile>>;
    using LineLog = std::function<void(std::string_view)>;

    MessageBuilder(OutgoingMessage message, const settings::Settings& settings, const Clock& clock, IdSource& ids,
                   mime::CharsetConverter converter);

    [[nodiscard]] Result<void> prepareSession();
    [[nodiscard]] Result<std::string> convert(std::string_view utf8, std::string_view what) const;
    [[nodiscard]] Result<std::string> encodedHeaderText(std::string_view utf8, std::string_view what) const;
    [[nodiscard]] Result<std::string> mergedSubject(const store::RecipientRecord& recipient) const;
    std::string mergedText(const store::RecipientRecord& recipient) const;
    std::string mergedHtml(const store::RecipientRecord& recipient) const;
    [[nodiscard]] Result<void> setHeaders(mime::MailMessage& message, const store::RecipientRecord& recipient,
                                          const std::string& subject, std::chrono::system_clock::time_point now) const;
    [[nodiscard]] Result<EncodedBody> plainTextBody(const store::RecipientRecord& recipient) const;
    FileList attachedFiles(const store::RecipientRecord& recipient, Progress& progress, const LineLog& log);
    void addParts(mime::MailMessage& message, EncodedBody text, EncodedBody html, const FileList& files,
                  Progress& progress, const LineLog& log);
    void addInlineImages(mime::MimePart& parent, const LineLog& log);
    void addAttachment(mime::MimePart& root, const mime::EncodedFile& attached) const;
    std::string fromValue(const std::string& encodedName) const;
    std::shared_ptr<const mime::EncodedFile> file(const std::string& path, bool keep);
    std::string messageIdDomain() const;

    OutgoingMessage m_message;
    MessageMerge m_merge;
    std::string m_charset;
    std::string m_textEncoding;
    std::string m_htmlEncoding;
    const Clock* m_clock;
    IdSource* m_ids;
    mime::CharsetConverter m_converter;

    // Session templates, UTF-8 with CR LF breaks.
    std::string m_html;
    std::string m_htmlFolder;
    bool m_hasHtml = false;
    bool m_singlePart = false;
    std::string m_domain;
    UnsubscribeHeaders m_unsubscribe;
    std::optional<DkimSigner> m_signer;

    MessageCache m_cache;
    InlineImageTable m_images;
    std::string m_suffix;
};

} // namespace tidecast::outgoing
