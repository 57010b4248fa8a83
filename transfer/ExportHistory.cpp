#include "transfer/ExportHistory.h"

#include "store/RecipientStore.h"

namespace tidecast::transfer
{

namespace
{

constexpr std::string_view kHistoryFile = "exfiles.sdb";
constexpr std::string_view kSourceField = "groupname";
constexpr std::string_view kPathField = "filename";
constexpr int kSourceSize = 125;
constexpr int kPathSize = 750;

} // namespace

ExportHistory::ExportHistory(const std::filesystem::path& dataDir)
    : m_file(dataDir / kHistoryFile)
{}

Result<void> ExportHistory::createWhenMissing() const
{
    if (store::RecipientStore::isDatabase(m_file)) {
        return {};
    }
    store::RecipientStore history;
    history.resetLayout();
    history.defineField(kSourceField, store::FieldType::Text, kSourceSize);
    history.defineField(kPathField, store::FieldType::Text, kPathSize);
    if (const int failed = history.createFile(m_file); failed != 0) {
        return Error{ErrorCode::Database, "Cannot create " + m_file.string(), failed};
    }
    return {};
}

Result<std::string> ExportHistory::lastOutput(std::string_view sourceName) const
{
    if (auto created = createWhenMissing(); !created) {
        return created.error();
    }
    store::RecipientStore history;
    if (auto opened = history.open(m_file); !opened) {
        return opened.error();
    }
    std::string path;
    auto found = history.find(kSourceField, store::FindOperator::Equals, sourceName);
    if (found && !history.noMatch()) {
        path = history.field(kPathField);
    }
    auto closed = history.close();
    if (!found) {
        return found.error();
    }
    if (!closed) {
        return closed.error();
    }
    return path;
}

Result<void> ExportHistory::rememberOutput(std::string_view sourceName, std::string_view outputPath) const
{
    if (auto created = createWhenMissing(); !created) {
        return created;
    }
    store::RecipientStore history;
    if (auto opened = history.open(m_file); !opened) {
        return opened;
    }
    auto found = history.find(kSourceField, store::FindOperator::Equals, sourceName);
    if (found && history.noMatch()) {
        found = history.addNew();
        if (found) {
            found = history.setField(kSourceField, sourceName);
        }
    }
    if (found) {
        found = history.setField(kPathField, outputPath);
    }
    auto closed = history.close();
    if (!found) {
        return found;
    }
    return closed;
}

} // namespace tidecast::transfer
