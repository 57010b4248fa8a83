#include "mime/MimePart.h"

#include "common/Text.h"
#include "mime/MimeText.h"

namespace tidecast::mime
{

namespace
{

constexpr std::size_t kPreferredLine = 78;
constexpr std::size_t kMaxLine = 998; // RFC 5322 section 2.1.1, without the CR LF

void setPair(std::vector<std::pair<std::string, std::string>>& list, std::string_view name, std::string_view value)
{
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (equalsIgnoreCase(it->first, name)) {
            if (value.empty()) {
                list.erase(it);
            } else {
                it->second = headerSafe(value);
            }
            return;
        }
    }
    if (!value.empty()) {
        list.emplace_back(headerSafe(name), headerSafe(value));
    }
}

std::string_view findPair(const std::vector<std::pair<std::string, std::string>>& list, std::string_view name)
{
    for (const auto& [key, value] : list) {
        if (equalsIgnoreCase(key, name)) {
            return value;
        }
    }
    return {};
}

bool needsQuoting(std::string_view value)
{
    // RFC 2045 tspecials and blanks call for a quoted string.
    return value.empty() || value.find_first_of(" ()<>@,;:\\\"/[]?=\t") != std::string_view::npos;
}

} // namespace

std::string mimeParameter(std::string_view name, std::string_view value)
{
    std::string text(name);
    // Extended (RFC 2231) values are never quoted; charset stays bare as mail readers expect.
    if (name.ends_with('*') || (equalsIgnoreCase(name, "charset") && !needsQuoting(value))) {
        text += '=';
        text += value;
        return text;
    }
    text += "=\"";
    for (char c : value) {
        if (c == '"' || c == '\\') {
            text += '\\';
        }
        text += c;
    }
    text += '"';
    return text;
}

std::pair<std::string, std::string> fileNameParameterPair(std::string_view name, std::string_view utf8Value)
{
    bool plain = true;
    for (char c : utf8Value) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7F) {
            plain = false;
            break;
        }
    }
    if (plain) {
        return {std::string(name), std::string(utf8Value)};
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string value = "utf-8''";
    for (char c : utf8Value) {
        const auto u = static_cast<unsigned char>(c);
        // RFC 2231 attribute-char: printable ASCII but blanks, tspecials, "*", "'" and "%".
        const bool keep =
            u > 0x20 && u < 0x7F && std::string_view("()<>@,;:\\\"/[]?=*'%").find(c) == std::string_view::npos;
        if (keep) {
            value += c;
        } else {
            value += '%';
            value += kHex[u >> 4];
            value += kHex[u & 0x0F];
        }
    }
    return {std::string(name) + '*', std::move(value)};
}

std::string fileNameParameter(std::string_view name, std::string_view utf8Value)
{
    const auto [key, value] = fileNameParameterPair(name, utf8Value);
    return mimeParameter(key, value);
}

void appendHeaderLine(std::string& out, std::string_view name, std::string_view value)
{
    const std::size_t lineStart = out.size();
    out += name;
    out += ": ";
    if (name.size() + 2 + value.size() <= kPreferredLine) {
        out += value;
        out += kCrLf;
        return;
    }
    // Fold before a blank once the line has grown past the preferred length; a word that cannot
    // be folded is cut hard before the line would pass the protocol limit.
    std::size_t currentStart = lineStart;
    std::size_t i = 0;
    while (i < value.size()) {
        std::size_t next = value.find(' ', i + 1);
        if (next == std::string_view::npos) {
            next = value.size();
        }
        const std::string_view word = value.substr(i, next - i); // starts with its blank, except the first
        if (i > 0 && word.front() == ' ' && out.size() - currentStart + word.size() > kPreferredLine) {
            out += kCrLf;
            currentStart = out.size();
        }
        for (char c : word) {
            if (out.size() - currentStart >= kMaxLine - 1) {
                out += "\r\n ";
                currentStart = out.size() - 1;
            }
            out += c;
        }
        i = next;
    }
    out += kCrLf;
}

void MimePart::setContentType(std::string_view type)
{
    m_contentType = headerSafe(type);
}

void MimePart::setContentTypeParameter(std::string_view name, std::string_view value)
{
    setPair(m_parameters, name, value);
}

std::string_view MimePart::contentTypeParameter(std::string_view name) const
{
    return findPair(m_parameters, name);
}

void MimePart::setTransferEncoding(std::string_view encoding)
{
    m_transferEncoding = headerSafe(encoding);
}

void MimePart::setHeader(std::string_view name, std::string_view value)
{
    if (equalsIgnoreCase(name, "Content-Transfer-Encoding")) {
        setTransferEncoding(value);
        return;
    }
    setPair(m_headers, name, value);
}

std::string_view MimePart::header(std::string_view name) const
{
    if (equalsIgnoreCase(name, "Content-Transfer-Encoding")) {
        return m_transferEncoding;
    }
    return findPair(m_headers, name);
}

void MimePart::setBody(std::string body)
{
    m_body = std::move(body);
    m_sharedBody.reset();
}

void MimePart::setSharedBody(std::shared_ptr<const std::string> body)
{
    m_body.clear();
    m_sharedBody = std::move(body);
}

std::string_view MimePart::body() const
{
    return m_sharedBody ? std::string_view(*m_sharedBody) : std::string_view(m_body);
}

MimePart& MimePart::addPart()
{
    m_parts.push_back(std::make_unique<MimePart>());
    return *m_parts.back();
}

void MimePart::appendHeaders(std::string& out) const
{
    if (!m_contentType.empty()) {
        // Boundaries and file names go on their own folded lines; short parameters stay inline.
        out += "Content-Type: ";
        out += m_contentType;
        std::size_t lineLength = 14 + m_contentType.size();
        for (const auto& [name, value] : m_parameters) {
            const std::string text = mimeParameter(name, value);
            out += ';';
            const bool fold = equalsIgnoreCase(name, "boundary") || lineLength + 2 + text.size() > kPreferredLine;
            if (fold) {
                out += "\r\n\t";
                lineLength = 1 + text.size();
            } else {
                out += ' ';
                lineLength += 2 + text.size();
            }
            out += text;
        }
        out += kCrLf;
    }
    if (!m_transferEncoding.empty()) {
        out += "Content-Transfer-Encoding: ";
        out += m_transferEncoding;
        out += kCrLf;
    }
    for (const auto& [name, value] : m_headers) {
        appendHeaderLine(out, name, value);
    }
}

void MimePart::appendTo(ByteChain& out) const
{
    std::string headers;
    appendHeaders(headers);
    headers += kCrLf;
    out.append(headers);
    if (m_sharedBody) {
        out.appendShared(m_sharedBody);
    } else {
        out.append(m_body);
    }
    if (m_parts.empty()) {
        return;
    }
    // The body of a multipart is its preamble; each delimiter starts with CR LF (RFC 2046 5.1.1).
    const std::string delimiter = "\r\n--" + std::string(boundary());
    for (const auto& part : m_parts) {
        out.append(delimiter);
        out.append(kCrLf);
        part->appendTo(out);
    }
    out.append(delimiter);
    out.append("--\r\n");
}

} // namespace tidecast::mime
