#include "common/ByteChain.h"

#include <utility>

namespace tidecast
{

ByteChain::ByteChain(std::string text)
{
    if (!text.empty()) {
        m_size = text.size();
        m_pieces.push_back({std::move(text), nullptr});
    }
}

void ByteChain::append(std::string_view text)
{
    if (text.empty()) {
        return;
    }
    if (m_pieces.empty() || m_pieces.back().shared) {
        m_pieces.push_back({});
    }
    m_pieces.back().owned.append(text);
    m_size += text.size();
}

void ByteChain::appendShared(std::shared_ptr<const std::string> text)
{
    if (!text || text->empty()) {
        return;
    }
    m_size += text->size();
    m_pieces.push_back({{}, std::move(text)});
}

bool ByteChain::endsWith(std::string_view tail) const
{
    // The tail may reach back over more than one piece.
    std::size_t left = tail.size();
    if (left > m_size) {
        return false;
    }
    for (auto piece = m_pieces.rbegin(); piece != m_pieces.rend() && left > 0; ++piece) {
        const std::string_view text = piece->view();
        const std::size_t n = std::min(left, text.size());
        if (text.substr(text.size() - n) != tail.substr(left - n, n)) {
            return false;
        }
        left -= n;
    }
    return left == 0;
}

std::vector<std::string_view> ByteChain::pieces() const
{
    std::vector<std::string_view> views;
    views.reserve(m_pieces.size());
    for (const Piece& piece : m_pieces) {
        views.push_back(piece.view());
    }
    return views;
}

std::string ByteChain::toString() const
{
    std::string text;
    text.reserve(m_size);
    for (const Piece& piece : m_pieces) {
        text.append(piece.view());
    }
    return text;
}

} // namespace tidecast
