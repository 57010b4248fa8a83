#include "common/MailAddress.h"

namespace tidecast
{

namespace
{

constexpr std::size_t kMaxLocalPart = 64;
constexpr std::size_t kMaxLabel = 63;

bool isAlpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// atext: letters, digits and the printable specials allowed in an atom.
bool isAtext(char c)
{
    return isAlpha(c) || isDigit(c) || std::string_view("!#$%&'*+-/=?^_`{|}~").find(c) != std::string_view::npos;
}

bool isDotString(std::string_view text)
{
    bool atomStart = true;
    for (const char c : text) {
        if (c == '.') {
            if (atomStart) {
                return false;
            }
            atomStart = true;
        } else if (isAtext(c)) {
            atomStart = false;
        } else {
            return false;
        }
    }
    return !atomStart;
}

// Quoted-string: printable ASCII inside quotes, with backslash quoting a printable character. We
// take no blank, "<" or ">" even there: they would end the path or start a parameter for a server
// that reads the command less carefully, and no real mailbox needs them.
bool isQuotedString(std::string_view text)
{
    if (text.size() < 2 || text.front() != '"' || text.back() != '"') {
        return false;
    }
    text = text.substr(1, text.size() - 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c <= 32 || c > 126 || c == '<' || c == '>') {
            return false;
        }
        if (c == '\\') {
            if (++i == text.size() || text[i] <= 32 || text[i] > 126 || text[i] == '<' || text[i] == '>') {
                return false;
            }
        } else if (c == '"') {
            return false;
        }
    }
    return true;
}

// Domain: labels of letters, digits and inner hyphens, separated by single dots.
bool isDomain(std::string_view text)
{
    std::size_t label = 0;
    char previous = '.';
    for (const char c : text) {
        if (c == '.') {
            if (previous == '.' || previous == '-') {
                return false;
            }
            label = 0;
        } else if (isAlpha(c) || isDigit(c) || (c == '-' && previous != '.')) {
            if (++label > kMaxLabel) {
                return false;
            }
        } else {
            return false;
        }
        previous = c;
    }
    return previous != '.' && previous != '-';
}

// address-literal: "[" IPv4 dotted quad, or a tagged literal such as "IPv6:...", "]".
bool isAddressLiteral(std::string_view text)
{
    if (text.size() < 3 || text.front() != '[' || text.back() != ']') {
        return false;
    }
    text = text.substr(1, text.size() - 2);
    if (const auto colon = text.find(':'); colon != std::string_view::npos) {
        if (colon == 0 || colon + 1 == text.size()) {
            return false;
        }
        for (const char c : text.substr(0, colon)) {
            if (!isAlpha(c) && !isDigit(c) && c != '-') {
                return false;
            }
        }
        for (const char c : text.substr(colon + 1)) {
            if (c < 33 || c > 126 || c == '[' || c == ']' || c == '\\') {
                return false;
            }
        }
        return true;
    }
    int parts = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        auto end = text.find('.', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const auto part = text.substr(start, end - start);
        if (part.empty() || part.size() > 3) {
            return false;
        }
        int value = 0;
        for (const char c : part) {
            if (!isDigit(c)) {
                return false;
            }
            value = value * 10 + (c - '0');
        }
        if (value > 255) {
            return false;
        }
        ++parts;
        start = end + 1;
    }
    return parts == 4;
}

} // namespace

bool isValidMailbox(std::string_view address)
{
    if (address.empty() || address.size() > kMaxAddressLength) {
        return false;
    }
    const auto at = address.rfind('@');
    if (at == std::string_view::npos || at == 0 || at + 1 == address.size()) {
        return false;
    }
    const auto local = address.substr(0, at);
    const auto domain = address.substr(at + 1);
    if (local.size() > kMaxLocalPart || !(isDotString(local) || isQuotedString(local))) {
        return false;
    }
    return domain.front() == '[' ? isAddressLiteral(domain) : isDomain(domain);
}

std::string printableAddress(std::string_view address)
{
    std::string out(address);
    for (auto& c : out) {
        if (static_cast<unsigned char>(c) < 32 || c == 127) {
            c = '?';
        }
    }
    return out;
}

} // namespace tidecast
