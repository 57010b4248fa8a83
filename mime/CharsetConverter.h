#pragma once

#include "common/Result.h"

#include <memory>
#include <string>
#include <string_view>

namespace tidecast::mime
{

// Converts the program's UTF-8 text into the outgoing character set through iconv. Nothing is
// replaced silently: a character the set cannot carry is refused with a message naming it.
// Not thread-safe (one converter per session); ASCII runs are copied without calling iconv.
class CharsetConverter
{
public:
    // Fails when the system does not know the character set.
    [[nodiscard]] static Result<CharsetConverter> open(std::string_view charset);

    const std::string& charset() const { return m_charset; }
    bool isUtf8() const { return m_utf8; }

    // `what` names the text in the refusal ("the subject", "the message text").
    [[nodiscard]] Result<std::string> convert(std::string_view utf8, std::string_view what) const;

private:
    struct Handle;
    CharsetConverter(std::string charset, std::shared_ptr<Handle> handle, bool utf8);

    std::string m_charset;
    std::shared_ptr<Handle> m_handle;
    bool m_utf8 = false;
};

// The refusal for a character the chosen set cannot carry; one place so every front end says it alike.
std::string unsupportedCharacterMessage(std::string_view character, char32_t codePoint, std::string_view what,
                                        std::string_view charset);

} // namespace tidecast::mime
