#include "store/RecipientInput.h"

#include "common/Text.h"
#include "store/StoreTexts.h"

namespace tidecast::store
{

namespace
{

constexpr std::u32string_view kAddressPunctuation = U"@.-_+,/#&";
// Backspace, Ctrl+C, Ctrl+V, Ctrl+X, Ctrl+Z and unit separator.
constexpr std::u32string_view kAddressControls = U"\x08\x03\x16\x18\x1a\x1f";

} // namespace

AddressKey classifyAddressKey(char32_t key)
{
    if (key == U' ') {
        return AddressKey::RefuseSpace;
    }
    const bool letterOrDigit =
        (key >= U'a' && key <= U'z') || (key >= U'A' && key <= U'Z') || (key >= U'0' && key <= U'9');
    if (letterOrDigit || kAddressPunctuation.find(key) != std::u32string_view::npos ||
        kAddressControls.find(key) != std::u32string_view::npos) {
        return AddressKey::Accept;
    }
    return AddressKey::Drop;
}

bool acceptCustomAttachmentPath(std::string_view path, Prompter& prompter)
{
    if (countChars(path) > kMaxCustomAttachmentPath) {
        prompter.message(text::kAttachmentTooLong, Icon::Information);
        return false;
    }
    return true;
}

} // namespace tidecast::store
