#pragma once

#include "mime/EncodedFile.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

namespace tidecast::outgoing
{

// What the builder works out once per send session and reuses for every message. Emptied when a
// session starts; the two macro flags, once set, stay set for the session.
struct MessageCache
{
    bool textHasMacros = false;
    bool subjectHasMacros = false;
    bool htmlHasMacros = false;

    std::optional<std::string> from;         // the finished From value
    std::optional<std::string> bulkTo;       // the bulk To value
    std::optional<std::string> subject;      // encoded, while the subject holds no macro
    std::optional<std::string> organisation; // encoded
    std::optional<std::string> textEncoding; // the plain text's transfer-encoding name (no macros)
    std::optional<std::string> encodedText;  // the plain text, encoded (no macros)
    std::optional<std::string> wrappedText;  // the plain text, wrapped (no macros)

    // Attachment and image files by path: read and encoded once. Files named by recipients' fields
    // are kept only while the encoded total stays under kMaxCachedBytes.
    std::unordered_map<std::string, std::shared_ptr<const mime::EncodedFile>> files;
    std::size_t cachedBytes = 0;
    static constexpr std::size_t kMaxCachedBytes = 64u << 20;

    void clear() { *this = MessageCache(); }
};

} // namespace tidecast::outgoing
