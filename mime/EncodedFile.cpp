#include "mime/EncodedFile.h"

#include "common/Base64.h"
#include "common/Text.h"
#include "mime/MimeText.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace tidecast::mime
{

std::string contentTypeForFile(std::string_view path, std::string_view charset)
{
    const std::string lower = toLowerAscii(trimBlanks(path));
    if (lower.size() <= 3) {
        return {};
    }
    struct Ending
    {
        std::string_view suffix;
        std::string_view type;
        bool text;
    };
    static constexpr Ending kEndings[] = {
        {"gif", "image/gif", false},   {"jpg", "image/jpeg", false}, {"jpeg", "image/jpeg", false},
        {"bmp", "image/bmp", false},   {"wav", "audio/wav", false},  {"avi", "video/avi", false},
        {"mpeg", "video/mpeg", false}, {"txt", "text/plain", true},  {"htm", "text/html", true},
        {"html", "text/html", true},
    };
    for (const Ending& ending : kEndings) {
        if (lower.ends_with(ending.suffix)) {
            std::string type(ending.type);
            if (ending.text) {
                type += "; charset=";
                type += charset;
            }
            return type;
        }
    }
    return {};
}

namespace
{

// Whole base64 lines' worth of bytes: the encoding of each block ends a line, so the blocks'
// encodings joined by CR LF are the encoding of the whole file.
constexpr std::size_t kReadBlock = kBase64LineLength / 4 * 3 * 1024;

// How many bytes at the end of `text` begin a UTF-8 sequence that the next block finishes.
std::size_t unfinishedUtf8(std::string_view text)
{
    for (std::size_t back = 1; back <= std::min<std::size_t>(3, text.size()); ++back) {
        const auto c = static_cast<unsigned char>(text[text.size() - back]);
        if ((c & 0xC0) == 0x80) {
            continue; // a continuation byte: look further back for its lead byte
        }
        const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

} // namespace

EncodedFile encodeFile(const std::string& path, std::string_view charset)
{
    EncodedFile file;
    file.path = path;
    file.fileName = std::filesystem::path(path).filename().string();
    file.contentType = contentTypeForFile(path, charset);

    std::ifstream in(path, std::ios::binary);
    if (!in) {
        file.errorNumber = errno != 0 ? errno : ENOENT;
        file.error = "Cannot read the file \"" + path + "\": " + std::strerror(file.errorNumber);
        return file;
    }
    // Read a block at a time straight into the encoder, so a large file is never in memory twice
    // (its bytes beside their encoding).
    auto encoded = std::make_shared<std::string>();
    std::error_code sizeError;
    if (const auto expected = std::filesystem::file_size(path, sizeError); !sizeError) {
        encoded->reserve(expected / 57 * 78 + 78);
    }
    const bool text = file.contentType.starts_with("text/");
    bool utf8 = true;
    std::string unfinished; // the start of a UTF-8 sequence cut by the end of a block
    std::string block(kReadBlock, '\0');
    while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
        const std::string_view data(block.data(), static_cast<std::size_t>(in.gcount()));
        if (file.size > 0) {
            encoded->append(kCrLf); // every block before this one was full and ended a line
        }
        appendBase64(*encoded, data);
        file.size += data.size();
        if (text) {
            file.isText8bit = file.isText8bit || contains8bit(data);
            if (utf8) {
                unfinished.append(data);
                const std::size_t carried = unfinishedUtf8(unfinished);
                utf8 = isValidUtf8(std::string_view(unfinished).substr(0, unfinished.size() - carried));
                unfinished.erase(0, unfinished.size() - carried);
            }
        }
    }
    if (in.bad()) {
        file.errorNumber = EIO;
        file.error = "Cannot read the file \"" + path + "\": " + std::strerror(EIO);
        return file;
    }
    file.isUtf8 = text && utf8 && unfinished.empty();
    file.base64 = std::move(encoded);
    return file;
}

} // namespace tidecast::mime
