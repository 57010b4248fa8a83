#include "outgoing/MessageBuilder.h"

#include "common/Text.h"
#include "mime/MailMessage.h"
#include "mime/MimeText.h"
#include "mime/QuotedPrintable.h"
#include "outgoing/ImageReferences.h"
#include "outgoing/MergeMacros.h"

#include <cctype>
#include <filesystem>
#include <system_error>

namespace tidecast::outgoing
{

namespace
{

constexpr std::size_t kMaxBodyLine = 998; // RFC 5322 section 2.1.1, without the CR LF

using EncodedBody = MessageBuilder::EncodedBody;

// Encodes a converted body by the encoding setting. Unencoded text that the protocol cannot carry
// as it is (a line over 998 octets, a NUL byte) goes out quoted-printable instead.
EncodedBody encodeBody(std::string_view text, std::string_view setting)
{
    EncodedBody body{std::string(mime::transferEncodingName(setting, text)), {}};
    if ((body.encoding == "7bit" || body.encoding == "8bit") &&
        (mime::hasLineLongerThan(text, kMaxBodyLine) || text.find('\0') != std::string_view::npos)) {
        body.encoding = "quoted-printable";
        body.text = mime::encodeBody(text, "print");
        return body;
    }
    body.text = mime::encodeBody(text, setting);
    return body;
}

// The single-part message carries its text unencoded, 7bit or 8bit by its bytes.
EncodedBody singlePartBody(std::string_view text)
{
    return encodeBody(text, "none");
}

// A display name between double quotes, inner quotes and backslashes escaped (RFC 5322 3.2.4).
std::string quotedDisplay(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    out += '"';
    return out;
}

// A name and address for From and To. A name that needed encoding is a row of RFC 2047 encoded
// words outside quotes, since an encoded word inside a quoted string is not decoded by standard
// readers; in a Q word only the characters a phrase allows stay as they are (RFC 2047 5 (3)).
std::string nameAndAddress(std::string_view name, std::string_view address)
{
    if (!name.starts_with("=?")) {
        return quotedDisplay(name) + " <" + std::string(address) + ">";
    }
    constexpr std::string_view kPhraseSafe = "!*+-/=_? ";
    std::string out;
    bool inQWord = false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (!inQWord && name.compare(i, 3, "?Q?") == 0) {
            out += "?Q?";
            i += 2;
            inQWord = true;
            continue;
        }
        if (inQWord && name.compare(i, 2, "?=") == 0) {
            inQWord = false;
        }
        const bool safe = std::isalnum(static_cast<unsigned char>(c)) || kPhraseSafe.find(c) != std::string_view::npos;
        if (inQWord && !safe) {
            constexpr std::string_view kHex = "0123456789ABCDEF";
            out += '=';
            out += kHex[static_cast<unsigned char>(c) >> 4];
            out += kHex[static_cast<unsigned char>(c) & 0x0F];
        } else {
            out += c;
        }
    }
    return out + " <" + std::string(address) + ">";
}

bool isFile(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

std::string_view mimeTypeOf(const mime::EncodedFile& file)
{
    return file.contentType.empty() ? std::string_view("application/octet-stream") : std::string_view(file.contentType);
}

// Splits "text/plain; charset=x" into the type and its charset value.
void setTypeWithCharset(mime::MimePart& part, std::string_view type)
{
    const std::size_t semicolon = type.find(';');
    if (semicolon == std::string_view::npos) {
        part.setContentType(type);
        return;
    }
    part.setContentType(trimBlanks(type.substr(0, semicolon)));
    std::string_view parameter = trimBlanks(type.substr(semicolon + 1));
    const std::size_t equals = parameter.find('=');
    if (equals != std::string_view::npos) {
        part.setContentTypeParameter(parameter.substr(0, equals), parameter.substr(equals + 1));
    }
}

void setFileName(mime::MimePart& part, const std::string& fileName)
{
    const auto [key, value] = mime::fileNameParameterPair("name", fileName);
    part.setContentTypeParameter(key, value);
}

} // namespace

MessageBuilder::MessageBuilder(OutgoingMessage message, const settings::Settings& settings, const Clock& clock,
                               IdSource& ids, mime::CharsetConverter converter)
    : m_message(std::move(message))
    , m_merge(m_message, MessageMerge::wrapWidth(settings))
    , m_charset(converter.charset())
    , m_textEncoding(settings.encoding.empty() ? "print" : settings.encoding)
    , m_htmlEncoding(settings.htmlEncoding.empty() ? "print" : settings.htmlEncoding)
    , m_clock(&clock)
    , m_ids(&ids)
    , m_converter(std::move(converter))
    , m_domain(settings.domain)
{}

Result<MessageBuilder> MessageBuilder::create(OutgoingMessage message, const settings::Settings& settings,
                                              const Clock& clock, IdSource& ids)
{
    const std::string charset = settings.characterSet.empty() ? "iso-8859-1" : settings.characterSet;
    auto converter = mime::CharsetConverter::open(charset);
    if (!converter) {
        return converter.error();
    }
    auto unsubscribe = UnsubscribeHeaders::create(settings, message.mode);
    if (!unsubscribe) {
        return unsubscribe.error();
    }
    std::optional<DkimSigner> signer;
    if (DkimSigner::isConfigured(settings)) {
        auto loaded = DkimSigner::create(settings);
        if (!loaded) {
            return loaded.error();
        }
        if (auto sender = loaded->checkSender(message.identity.address); !sender) {
            return sender.error();
        }
        signer = std::move(*loaded);
    }
    MessageBuilder builder(std::move(message), settings, clock, ids, std::move(converter.value()));
    builder.m_unsubscribe = std::move(*unsubscribe);
    builder.m_signer = std::move(signer);
    if (auto prepared = builder.prepareSession(); !prepared) {
        return prepared.error();
    }
    return builder;
}

Result<std::string> MessageBuilder::convert(std::string_view utf8, std::string_view what) const
{
    return m_converter.convert(utf8, what);
}

Result<std::string> MessageBuilder::encodedHeaderText(std::string_view utf8, std::string_view what) const
{
    // Blanks for CR and LF first, so that not even a decoded header can carry a line break.
    auto converted = convert(mime::headerSafe(utf8), what);
    if (!converted) {
        return converted.error();
    }
    return mime::encodeHeaderText(*converted, m_charset);
}

std::string MessageBuilder::fromValue(const std::string& name) const
{
    const std::string& address = m_message.identity.address;
    if (name.empty()) {
        return quotedDisplay(address) + " <" + address + ">";
    }
    // A name the user already put in quotes keeps them; the quotes are never doubled.
    std::string_view inner = name;
    if (inner.starts_with('"')) {
        inner.remove_prefix(1);
    }
    if (!inner.empty() && inner.ends_with('"')) {
        inner.remove_suffix(1);
    }
    return nameAndAddress(inner, address);
}

std::string MessageBuilder::messageIdDomain() const
{
    const std::string& address = m_message.identity.address;
    const std::size_t at = address.rfind('@');
    std::string domain = at == std::string::npos ? std::string() : std::string(trimWhitespace(address.substr(at + 1)));
    if (domain.empty()) {
        domain = std::string(trimWhitespace(m_domain));
    }
    if (domain.empty()) {
        domain = "localhost";
    }
    for (char& c : domain) {
        if (c == '>' || c == '<' || c == ' ' || c == '\r' || c == '\n') {
            c = '_';
        }
    }
    return domain;
}

Result<void> MessageBuilder::prepareSession()
{
    m_cache.clear();
    const GroupIdentity& identity = m_message.identity;
    const bool personal = m_message.mode == SendMode::Personal;

    if (!m_message.htmlPath.empty() && isFile(m_message.htmlPath)) {
        m_html = toUtf8(readWholeFile(m_message.htmlPath));
        mime::normalizeLineBreaks(m_html);
        m_hasHtml = !m_html.empty();
        m_htmlFolder = std::filesystem::path(m_message.htmlPath).parent_path().string();
    }

    bool hasFiles = false;
    for (const std::string& path : m_message.attachments) {
        hasFiles = hasFiles || !trimBlanks(path).empty();
    }
    m_singlePart = !hasFiles && !m_hasHtml && !(personal && m_message.customAttachments);

    m_cache.textHasMacros = m_merge.textHasMacros();
    m_cache.subjectHasMacros = m_merge.subjectHasMacros();
    m_cache.htmlHasMacros = personal && hasMergeMacros(m_html);

    // Every recipient-independent text is converted now: a character the set cannot carry stops
    // the mailing before the first message rather than at every one.
    const std::string trimmedName(trimBlanks(mime::headerSafe(identity.name)));
    std::string encodedName;
    if (!trimmedName.empty()) {
        auto name = encodedHeaderText(trimmedName, "sender's name");
        if (!name) {
            return name.error();
        }
        encodedName = std::move(*name);
    }
    m_cache.from = fromValue(encodedName);

    if (!identity.organisation.empty()) {
        auto organisation = encodedHeaderText(identity.organisation, "organisation");
        if (!organisation) {
            return organisation.error();
        }
        m_cache.organisation = std::move(*organisation);
    }

    auto subject = encodedHeaderText(m_message.subject, "subject");
    if (!subject) {
        return subject.error();
    }
    if (!m_cache.subjectHasMacros) {
        m_cache.subject = std::move(*subject);
    }

    if (!personal) {
        const std::string& address = identity.address;
        if (trimBlanks(m_message.bulkToText).empty()) {
            m_cache.bulkTo = quotedDisplay(address) + " <" + address + ">";
        } else {
            auto to = encodedHeaderText(m_message.bulkToText, "To text");
            if (!to) {
                return to.error();
            }
            m_cache.bulkTo = nameAndAddress(*to, address);
        }
    }

    if (m_cache.textHasMacros) {
        if (auto checked = convert(m_merge.text(), "message text"); !checked) {
            return checked.error();
        }
    } else {
        m_cache.wrappedText = m_merge.text(nullptr);
        auto converted = convert(*m_cache.wrappedText, "message text");
        if (!converted) {
            return converted.error();
        }
        EncodedBody body = m_singlePart ? singlePartBody(*converted) : encodeBody(*converted, m_textEncoding);
        m_cache.textEncoding = std::move(body.encoding);
        m_cache.encodedText = std::move(body.text);
    }

    if (m_hasHtml) {
        if (auto checked = convert(m_html, "HTML message"); !checked) {
            return checked.error();
        }
    }
    return {};
}

std::shared_ptr<const mime::EncodedFile> MessageBuilder::file(const std::string& path, bool keep)
{
    if (const auto found = m_cache.files.find(path); found != m_cache.files.end()) {
        return found->second;
    }
    auto encoded = std::make_shared<const mime::EncodedFile>(mime::encodeFile(path, m_charset));
    const std::size_t bytes = encoded->base64 ? encoded->base64->size() : 0;
    if (keep || m_cache.cachedBytes + bytes <= MessageCache::kMaxCachedBytes) {
        m_cache.files.emplace(path, encoded);
        m_cache.cachedBytes += bytes;
    }
    return encoded;
}

Result<std::string> MessageBuilder::buildMessage(const store::RecipientRecord& recipient, Progress& progress,
                                                 const ActivitySink& activity)
{
    auto composed = composeMessage(recipient, progress, activity);
    if (!composed) {
        return composed.error();
    }
    return signMessage(std::move(*composed));
}

Result<UnsignedMessage> MessageBuilder::composeMessage(const store::RecipientRecord& recipient, Progress& progress,
                                                       const ActivitySink& activity)
{
    const LineLog log = [&activity](std::string_view line) {
        if (activity) {
            activity(line);
        }
    };

    // Merge. Bulk messages are never merged.
    progress.setLabel("Merging Data ...");
    auto subject = mergedSubject(recipient);
    if (!subject) {
        return subject.error();
    }
    std::string html = mergedHtml(recipient);

    progress.setLabel("Building Message ...");
    log("Building Message");
    mime::MailMessage message;
    const auto now = m_clock->now();
    if (auto headers = setHeaders(message, recipient, *subject, now); !headers) {
        return headers.error();
    }
    auto text = plainTextBody(recipient);
    if (!text) {
        return text.error();
    }

    // Structure: suffix, boundaries and an empty image table for every build.
    m_suffix = "_" + std::to_string(m_ids->tickCount()) + "_" +
               mime::singleToString(static_cast<float>(secondsSinceMidnight(now)));
    m_images.clear();
    if (m_singlePart) {
        mime::MimePart& root = message.root();
        root.setContentType("text/plain");
        root.setContentTypeParameter("charset", m_charset);
        root.setTransferEncoding(text->encoding);
        root.setBody(text->text);
        return UnsignedMessage{message.serialize(), now};
    }

    if (m_hasHtml) {
        const ContentIdSource source{*m_clock, *m_ids};
        findBackgroundImage(html, m_htmlFolder, m_images, source);
        std::size_t searchFrom = 0;
        while (findNextImage(html, searchFrom, m_htmlFolder, m_images, source).found) {
        }
    }
    progress.setLabel("Encoding Message ...");
    EncodedBody htmlBody;
    if (m_hasHtml) {
        auto converted = convert(html, "HTML message");
        if (!converted) {
            return converted.error();
        }
        htmlBody = encodeBody(*converted, m_htmlEncoding);
    }

    const auto files = attachedFiles(recipient, progress, log);
    addParts(message, std::move(*text), std::move(htmlBody), files, progress, log);
    return UnsignedMessage{message.serialize(), now};
}

Result<ByteChain> MessageBuilder::buildMessageBytes(const store::RecipientRecord& recipient, Progress& progress,
                                                    const ActivitySink& activity)
{
    auto composed = composeMessage(recipient, progress, activity);
    if (!composed) {
        return composed.error();
    }
    if (!m_signer) {
        return std::move(composed->bytes);
    }
    // The signature covers every byte, so a signed message is one text of its own.
    auto signedText = signMessage(std::move(*composed));
    if (!signedText) {
        return signedText.error();
    }
    return ByteChain(std::move(*signedText));
}

Result<std::string> MessageBuilder::signMessage(UnsignedMessage message) const
{
    auto text = message.bytes.toString();
    if (!m_signer) {
        return text;
    }
    return m_signer->sign(text, message.date);
}

Result<std::string> MessageBuilder::mergedSubject(const store::RecipientRecord& recipient) const
{
    if (m_cache.subject) {
        return *m_cache.subject;
    }
    return encodedHeaderText(m_merge.subject(&recipient), "subject");
}

std::string MessageBuilder::mergedHtml(const store::RecipientRecord& recipient) const
{
    std::string html = m_html;
    if (m_message.mode == SendMode::Personal && m_cache.htmlHasMacros) {
        replaceMergeMacros(html, recipient, MergeEscape::Html);
        mime::normalizeLineBreaks(html);
    }
    return html;
}

Result<void> MessageBuilder::setHeaders(mime::MailMessage& message, const store::RecipientRecord& recipient,
                                        const std::string& subject, std::chrono::system_clock::time_point now) const
{
    message.setPriority(static_cast<int>(m_message.priority));
    message.setFrom(*m_cache.from);
    if (!m_message.identity.replyTo.empty()) {
        message.setReplyTo(m_message.identity.replyTo);
    }
    if (m_message.mode == SendMode::Personal) {
        const std::string name = std::string(trimBlanks(recipient.get(store::RecipientField::FirstName) + ' ' +
                                                        recipient.get(store::RecipientField::LastName)));
        const std::string& address = recipient.emailAddress();
        if (name.empty()) {
            message.setTo(quotedDisplay(address) + " <" + address + ">");
        } else {
            auto encoded = encodedHeaderText(name, "recipient's name");
            if (!encoded) {
                return encoded.error();
            }
            message.setTo(nameAndAddress(*encoded, address));
        }
    } else {
        message.setTo(*m_cache.bulkTo);
    }
    message.setSubject(subject);
    if (m_cache.organisation) {
        message.setOrganization(*m_cache.organisation);
    }
    message.setDate(now);
    message.setMessageId(m_ids->uniqueToken() + "@" + messageIdDomain());
    if (!m_unsubscribe.isEmpty()) {
        message.addHeader(UnsubscribeHeaders::kListUnsubscribe, m_unsubscribe.listUnsubscribe(&recipient));
        if (m_unsubscribe.hasOneClick()) {
            message.addHeader(UnsubscribeHeaders::kListUnsubscribePost, UnsubscribeHeaders::kOneClick);
        }
    }
    return {};
}

Result<MessageBuilder::EncodedBody> MessageBuilder::plainTextBody(const store::RecipientRecord& recipient) const
{
    // Wrapped, converted and encoded once per session unless it holds macros.
    if (m_cache.encodedText) {
        return EncodedBody{*m_cache.textEncoding, *m_cache.encodedText};
    }
    auto converted = convert(mergedText(recipient), "message text");
    if (!converted) {
        return converted.error();
    }
    return m_singlePart ? singlePartBody(*converted) : encodeBody(*converted, m_textEncoding);
}

MessageBuilder::FileList MessageBuilder::attachedFiles(const store::RecipientRecord& recipient, Progress& progress,
                                                       const LineLog& log)
{
    // The files: listed attachments first, then those named by the recipient's fields.
    FileList files;
    const auto keepReadable = [&](std::shared_ptr<const mime::EncodedFile> encoded) {
        if (!encoded->isReadable()) {
            log("MIME Error:" + encoded->error + " - " + std::to_string(encoded->errorNumber));
            return;
        }
        files.push_back(std::move(encoded));
    };
    const auto listed = m_merge.listedAttachments();
    if (!listed.empty()) {
        progress.setLabel("Appending Attachments ...");
        log("Appending Attachments");
    }
    int number = 0;
    for (const std::string& path : listed) {
        progress.setLabel("Encoding Attachment " + std::to_string(++number));
        keepReadable(file(path, true));
    }
    for (const auto& [field, path] : m_merge.customAttachments(recipient)) {
        progress.setLabel("Encoding Attachment ...");
        log("Appending Personalized Attachment From Additional Field " + std::to_string(field));
        keepReadable(file(path, false));
    }
    return files;
}

void MessageBuilder::addParts(mime::MailMessage& message, EncodedBody text, EncodedBody html, const FileList& files,
                              Progress& progress, const LineLog& log)
{
    // Nesting: mixed (files) > related (inline images) > alternative (text, HTML).
    mime::MimePart& root = message.root();
    root.setBody(std::string(kPreamble));
    const bool mixed = !files.empty() || !m_hasHtml;
    const bool related = !m_images.isEmpty();
    if (mixed) {
        root.setContentType("multipart/mixed");
        root.setBoundary(std::string(kMixedBoundaryPrefix) + m_suffix);
    }
    mime::MimePart* textParent = &root;
    mime::MimePart* imageParent = nullptr;
    if (m_hasHtml) {
        mime::MimePart& body = mixed ? root.addPart() : root;
        if (related) {
            body.setContentType("multipart/related");
            body.setBoundary(std::string(kRelatedBoundaryPrefix) + m_suffix);
            imageParent = &body;
            mime::MimePart& alternative = body.addPart();
            alternative.setContentType("multipart/alternative");
            alternative.setBoundary(std::string(kAlternativeBoundaryPrefix) + m_suffix);
            textParent = &alternative;
        } else {
            body.setContentType("multipart/alternative");
            body.setBoundary(std::string(kAlternativeBoundaryPrefix) + m_suffix);
            textParent = &body;
        }
    }

    mime::MimePart& textPart = textParent->addPart();
    textPart.setContentType("text/plain");
    textPart.setContentTypeParameter("charset", m_charset);
    textPart.setTransferEncoding(text.encoding);
    textPart.setBody(std::move(text.text));

    if (m_hasHtml) {
        mime::MimePart& htmlPart = textParent->addPart();
        htmlPart.setContentType("text/html");
        htmlPart.setContentTypeParameter("charset", m_charset);
        htmlPart.setTransferEncoding(html.encoding);
        htmlPart.setBody(std::move(html.text));
    }
    if (imageParent != nullptr) {
        progress.setLabel("Appending Inline Images ...");
        log("Appending Inline Images");
        addInlineImages(*imageParent, log);
    }
    for (const auto& attached : files) {
        addAttachment(root, *attached);
    }
}

void MessageBuilder::addInlineImages(mime::MimePart& parent, const LineLog& log)
{
    for (std::size_t i = 0; i < m_images.paths.size(); ++i) {
        auto image = file(m_images.paths[i], true);
        if (!image->isReadable()) {
            log("MIME Error:" + image->error + " - " + std::to_string(image->errorNumber));
            continue;
        }
        const std::string lower = toLowerAscii(image->path);
        mime::MimePart& part = parent.addPart();
        if (lower.ends_with("gif")) {
            part.setContentType("image/gif");
        } else if (lower.ends_with("jpg")) {
            part.setContentType("image/jpeg");
        } else if (lower.ends_with("png")) {
            part.setContentType("image/png");
        } else {
            setTypeWithCharset(part, mimeTypeOf(*image));
        }
        setFileName(part, image->fileName);
        part.setTransferEncoding("base64");
        part.setHeader("Content-ID", "<" + m_images.contentIds[i] + ">");
        part.setSharedBody(image->base64);
    }
}

void MessageBuilder::addAttachment(mime::MimePart& root, const mime::EncodedFile& attached) const
{
    mime::MimePart& part = root.addPart();
    setTypeWithCharset(part, mimeTypeOf(attached));
    if (attached.isText8bit && attached.isUtf8 && !m_converter.isUtf8()) {
        // A UTF-8 text file keeps its bytes; its label says what they are.
        part.setContentTypeParameter("charset", "utf-8");
    }
    setFileName(part, attached.fileName);
    part.setTransferEncoding("base64");
    part.setHeader("Content-Disposition", "attachment; " + mime::fileNameParameter("filename", attached.fileName));
    part.setSharedBody(attached.base64);
}

std::string MessageBuilder::mergedText(const store::RecipientRecord& recipient) const
{
    return m_cache.wrappedText ? *m_cache.wrappedText : m_merge.text(&recipient);
}

} // namespace tidecast::outgoing
