#include "outgoing/MergeMacros.h"

#include "common/Text.h"

#include <cctype>

namespace tidecast::outgoing
{

const MergeMacro* mergeMacroForCommand(std::string_view commandId)
{
    for (const MergeMacro& macro : kMergeMacros) {
        if (macro.commandId == commandId) {
            return &macro;
        }
    }
    return nullptr;
}

std::string macroValue(const MergeMacro& macro, const store::RecipientRecord& recipient)
{
    using store::RecipientField;
    switch (macro.value) {
    case MacroValue::Field:
        return recipient.get(macro.field);
    case MacroValue::UserName: {
        const std::string& address = recipient.emailAddress();
        return address.substr(0, address.find('@'));
    }
    case MacroValue::CompleteName: {
        const std::string joined = recipient.get(RecipientField::Title) + ' ' +
                                   recipient.get(RecipientField::FirstName) + ' ' +
                                   recipient.get(RecipientField::LastName);
        return std::string(trimBlanks(joined));
    }
    }
    return {};
}

bool hasMergeMacros(std::string_view text)
{
    // Every macro starts with "!*", so only those places need a closer look.
    for (std::size_t at = text.find("!*"); at != std::string_view::npos; at = text.find("!*", at + 1)) {
        const std::string_view rest = text.substr(at);
        for (const MergeMacro& macro : kMergeMacros) {
            if (rest.starts_with(macro.macro)) {
                return true;
            }
        }
    }
    return false;
}

std::string escapeHtml(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string percentEncode(std::string_view text)
{
    constexpr std::string_view kHex = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

void replaceMergeMacros(std::string& text, const store::RecipientRecord& recipient, MergeEscape escape)
{
    // One pass over the text per macro that occurs in it, building the merged text anew: replacing
    // in place would move the rest of the text at every occurrence (a 4 MB body with a macro on
    // every line took seconds). A value is never searched again for the macro that put it there.
    for (const MergeMacro& macro : kMergeMacros) {
        if (text.find(macro.macro) == std::string::npos) {
            continue;
        }
        const std::string raw = macroValue(macro, recipient);
        const std::string value = escape == MergeEscape::Html  ? escapeHtml(raw)
                                  : escape == MergeEscape::Url ? percentEncode(raw)
                                                               : raw;
        text = replaceAll(text, macro.macro, value);
    }
}

} // namespace tidecast::outgoing
