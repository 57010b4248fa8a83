#pragma once

#include "common/ByteChain.h"

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tidecast::mime
{

// One part of a MIME message: its header fields, its body (already transfer-encoded) and, for a
// multipart, its children. Header values are made safe on the way in (CR and LF become blanks),
// so nothing placed here can add a header line.
class MimePart
{
public:
    // "text/plain", "multipart/related"; parameters are added with setContentTypeParameter.
    void setContentType(std::string_view type);
    const std::string& contentType() const { return m_contentType; }
    // Sets or (with an empty value) removes a parameter such as charset, boundary or name.
    void setContentTypeParameter(std::string_view name, std::string_view value);
    std::string_view contentTypeParameter(std::string_view name) const;

    // "base64", "quoted-printable", "7bit", "8bit"; empty for none.
    void setTransferEncoding(std::string_view encoding);
    const std::string& transferEncoding() const { return m_transferEncoding; }

    // Any other header field; an empty value removes it.
    void setHeader(std::string_view name, std::string_view value);
    std::string_view header(std::string_view name) const;

    // The body, already encoded. A shared body is not copied: attachments reuse one encoding.
    void setBody(std::string body);
    void setSharedBody(std::shared_ptr<const std::string> body);
    std::string_view body() const;

    // Multiparts: the boundary (set by the caller) and the children in order.
    void setBoundary(std::string_view boundary) { setContentTypeParameter("boundary", boundary); }
    std::string_view boundary() const { return contentTypeParameter("boundary"); }
    MimePart& addPart();
    std::vector<std::unique_ptr<MimePart>>& parts() { return m_parts; }
    const std::vector<std::unique_ptr<MimePart>>& parts() const { return m_parts; }
    bool isMultipart() const { return !m_parts.empty(); }

    // The part's header lines (each ending in CR LF), without the empty line after them.
    void appendHeaders(std::string& out) const;
    // Headers, the empty line, then the body or the children between boundary lines. A shared
    // body is referenced, not copied.
    void appendTo(ByteChain& out) const;

private:
    std::string m_contentType;
    std::vector<std::pair<std::string, std::string>> m_parameters;
    std::string m_transferEncoding;
    std::vector<std::pair<std::string, std::string>> m_headers;
    std::string m_body;
    std::shared_ptr<const std::string> m_sharedBody;
    std::vector<std::unique_ptr<MimePart>> m_parts;
};

// A MIME parameter name="value" (backslash escapes inside); a plain charset and an RFC 2231
// extended value stay unquoted.
std::string mimeParameter(std::string_view name, std::string_view value);

// A file name parameter: name="value" for printable ASCII, else the RFC 2231 form
// name*=utf-8''%XX... that keeps any character.
std::string fileNameParameter(std::string_view name, std::string_view utf8Value);
std::pair<std::string, std::string> fileNameParameterPair(std::string_view name, std::string_view utf8Value);

// Appends one header line, folded at blanks so that no line gets longer than 78 characters where
// the value allows it, and never longer than 998 octets.
void appendHeaderLine(std::string& out, std::string_view name, std::string_view value);

} // namespace tidecast::mime
