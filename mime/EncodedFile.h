#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace tidecast::mime
{

// A file read and base64-encoded once, ready to be attached to any number of messages.
struct EncodedFile
{
    std::string path;
    std::string fileName;    // the last path component, UTF-8
    std::string contentType; // from contentTypeForFile; empty when the extension is not known
    std::size_t size = 0;    // bytes before encoding
    bool isText8bit = false; // a text file holding 8-bit bytes
    bool isUtf8 = false;     // its content is valid UTF-8
    std::shared_ptr<const std::string> base64;
    // When the file could not be read: the error text and number (errno).
    std::string error;
    int errorNumber = 0;

    bool isReadable() const { return error.empty(); }
};

// Reads and encodes a file. The content type is decided by the extension (contentTypeForFile).
EncodedFile encodeFile(const std::string& path, std::string_view charset);

// The content type of an attachment by the end of its trimmed, lower-cased path; empty for an
// unknown ending or a path of three characters or fewer. Text types carry the character set.
std::string contentTypeForFile(std::string_view path, std::string_view charset);

} // namespace tidecast::mime
