#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast
{

// Bytes in order, held as pieces: text made for this use is owned, and a large text that others
// use too (a file's encoding attached to every message of a mailing) is shared, never copied.
class ByteChain
{
public:
    ByteChain() = default;
    explicit ByteChain(std::string text);

    // Adds to the last owned piece (or starts one).
    void append(std::string_view text);
    // Adds a shared piece; an empty or missing text adds nothing.
    void appendShared(std::shared_ptr<const std::string> text);

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    bool endsWith(std::string_view tail) const;

    // The pieces in order, none of them empty; valid while the chain is unchanged.
    std::vector<std::string_view> pieces() const;
    // All the bytes in one text (a copy: for a preview, a check, a test).
    std::string toString() const;

private:
    struct Piece
    {
        std::string owned;
        std::shared_ptr<const std::string> shared;
        std::string_view view() const { return shared ? std::string_view(*shared) : std::string_view(owned); }
    };
    std::vector<Piece> m_pieces;
    std::size_t m_size = 0;
};

} // namespace tidecast
