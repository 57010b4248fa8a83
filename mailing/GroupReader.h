#pragma once

#include "store/RecipientRecord.h"
#include "store/RecipientStore.h"

#include <cstdint>
#include <filesystem>
#include <optional>

namespace tidecast::mailing
{

// Reads the records of a group file by record number on a connection of its own, so it can run
// ahead of the send session's cursor without moving it. Reading the record after the last one
// read steps forward instead of seeking. Used from one thread at a time.
class GroupReader
{
public:
    explicit GroupReader(std::filesystem::path groupFile);

    // The record with this number (1 is the first), or nothing past the end or when the file
    // cannot be read.
    std::optional<store::RecipientRecord> read(std::int64_t number);

private:
    std::filesystem::path m_path;
    store::RecipientStore m_group;
    std::int64_t m_number = 0; // of the current record; 0 before the first read
};

} // namespace tidecast::mailing
