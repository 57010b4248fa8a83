#include "mailing/GroupReader.h"

#include <utility>

namespace tidecast::mailing
{

GroupReader::GroupReader(std::filesystem::path groupFile)
    : m_path(std::move(groupFile))
{}

std::optional<store::RecipientRecord> GroupReader::read(std::int64_t number)
{
    if (!m_group.isOpen()) {
        if (!m_group.open(m_path)) {
            return std::nullopt;
        }
    }
    const bool moved = m_number > 0 && number == m_number + 1 && m_group.hasCurrent()
                           ? static_cast<bool>(m_group.moveNext())
                           : static_cast<bool>(m_group.setRecordNumber(number));
    if (!moved || !m_group.hasCurrent()) {
        m_number = 0;
        return std::nullopt;
    }
    m_number = number;
    return store::readRecipient(m_group);
}

} // namespace tidecast::mailing
