#pragma once

#include "common/Prompter.h"

#include <cstddef>
#include <string_view>

namespace tidecast::store
{

// What the address box does with a typed key.
enum class AddressKey
{
    Accept,
    Drop,        // silently
    RefuseSpace, // with "Spaces are illegal in email address."
};

// Letters, digits, "@.-_+,/#&", backspace, the copy/paste/cut/undo controls (3, 22, 24, 26)
// and 31 go in; a space is refused with a message; anything else is dropped. Pasted text is not
// filtered: only the OK checks apply to it.
AddressKey classifyAddressKey(char32_t key);

// At most this many characters may be typed into the title box (the stored title keeps 10).
inline constexpr int kTitleTypedLength = 15;
inline constexpr std::size_t kStoredTitleLength = 10;
// A custom attachment path must fit the additional field it goes into.
inline constexpr std::size_t kMaxCustomAttachmentPath = 50;

// The custom-attachment chooser's check: a path of more than 50 characters is refused with a
// message (information); true when it may go into the field.
bool acceptCustomAttachmentPath(std::string_view path, Prompter& prompter);

} // namespace tidecast::store
