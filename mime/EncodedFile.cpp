#include "mime/EncodedFile.h"

#include "common/Base64.h"
#include "common/Text.h"
#include "mime/MimeText.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

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
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        file.errorNumber = EIO;
        file.error = "Cannot read the file \"" + path + "\": " + std::strerror(EIO);
        return file;
    }
    file.size = content.size();
    if (file.contentType.starts_with("text/")) {
        file.isText8bit = contains8bit(content);
        file.isUtf8 = isValidUtf8(content);
    }
    file.base64 = std::make_shared<const std::string>(base64Encode(content));
    return file;
}

} // namespace tidecast::mime
