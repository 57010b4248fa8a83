#include "store/Compaction.h"

#include "store/RecipientStore.h"
#include "store/StoreTexts.h"

#include <string>
#include <thread>

namespace tidecast::store
{

namespace
{

constexpr std::int64_t kPercentMaximum = 100;

std::filesystem::path freeTemporaryPath(const std::filesystem::path& dataDir, std::string_view name)
{
    for (int n = 0;; ++n) {
        auto candidate = dataDir / (std::string(name) + std::to_string(n) + ".tmp");
        std::error_code ec;
        if (!std::filesystem::exists(candidate, ec)) {
            return candidate;
        }
    }
}

Result<void> copyRecords(RecipientStore& source, RecipientStore& target, Progress& progress, int every)
{
    const auto count = source.recordCount();
    progress.setMaximum(count);
    RecipientTransaction transaction(target);
    if (auto begun = transaction.begin(); !begun) {
        return begun;
    }
    if (auto first = source.moveFirst(); !first) {
        return first;
    }
    const auto fieldCount = static_cast<int>(source.fields().size());
    for (std::int64_t copied = 1; copied <= count && !source.atEnd(); ++copied) {
        if (!source.isDeleted()) {
            if (auto added = target.addNew(); !added) {
                return added;
            }
            for (int i = 0; i < fieldCount; ++i) {
                target.setField(i, source.field(i));
            }
        }
        if (copied % every == 0) {
            progress.setValue(copied);
        }
        if (auto next = source.moveNext(); !next) {
            return next;
        }
    }
    return transaction.commit();
}

} // namespace

Result<void> safeRebuild(const std::filesystem::path& dataDir, std::string_view name, std::string_view extension,
                         Progress& progress, const SafeRebuildOptions& options)
{
    const auto file = dataDir / (std::string(name) + std::string(extension));
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        return {};
    }
    const auto temporary = freeTemporaryPath(dataDir, name);
    RecipientStore source;
    RecipientStore target;
    const auto cleanUp = [&] {
        (void)source.close();
        (void)target.close();
        RecipientStore::deleteFile(temporary);
        progress.setValue(0);
    };

    if (auto opened = source.open(file); !opened) {
        cleanUp();
        return opened;
    }
    // The copy takes the file's own layout, so a file with another layout than the recipients'
    // (the exclusion list) comes back as it was.
    target.resetLayout();
    for (const auto& field : source.fields()) {
        target.defineField(field.name, field.type, field.size);
    }
    if (const int status = target.createFile(temporary); status != 0) {
        cleanUp();
        return Error{ErrorCode::FileWrite, "Cannot create " + temporary.string(), status};
    }
    if (auto opened = target.open(temporary); !opened) {
        cleanUp();
        return opened;
    }
    if (source.recordCount() == 0) {
        cleanUp();
        return {};
    }
    if (auto copied = copyRecords(source, target, progress, options.progressEvery); !copied) {
        cleanUp();
        return copied;
    }
    auto sourceClosed = source.close();
    auto targetClosed = target.close();
    if (!sourceClosed || !targetClosed) {
        cleanUp();
        return !sourceClosed ? sourceClosed : targetClosed;
    }

    for (int attempt = 1; attempt <= options.deleteAttempts; ++attempt) {
        RecipientStore::deleteFile(file);
        if (!std::filesystem::exists(file, ec)) {
            break;
        }
        if (attempt < options.deleteAttempts) {
            std::this_thread::sleep_for(options.retryDelay);
        }
    }
    if (std::filesystem::exists(file, ec)) {
        cleanUp();
        return Error{ErrorCode::FileWrite, "Cannot replace " + file.string(), 0};
    }
    std::filesystem::rename(temporary, file, ec);
    if (ec) {
        cleanUp();
        return Error{ErrorCode::FileWrite, ec.message(), ec.value()};
    }
    progress.setValue(0);
    return {};
}

bool compactAfterDelete(const std::filesystem::path& dataDir, std::string_view name, std::string_view extension,
                        bool safe, Progress& progress, Prompter& prompter, std::string_view errorTag)
{
    if (safe) {
        auto rebuilt = safeRebuild(dataDir, name, extension, progress);
        if (!rebuilt) {
            prompter.message(text::compactError(rebuilt.error()), Icon::Critical);
            return false;
        }
        return true;
    }
    progress.setMaximum(kPercentMaximum);
    auto compacted = RecipientStore::compact(dataDir / (std::string(name) + std::string(extension)),
                                             [&progress](int percent) { progress.setValue(percent); });
    progress.setValue(0);
    if (!compacted) {
        prompter.message(text::procedureError(errorTag, compacted.error()), Icon::Critical);
        return false;
    }
    return true;
}

} // namespace tidecast::store
