#include "commands/RecipientSearch.h"

#include "commands/MaintenanceTexts.h"
#include "common/Text.h"
#include "store/GroupNames.h"
#include "store/RecipientRecord.h"
#include "store/StoreTexts.h"

#include <array>
#include <optional>
#include <utility>

namespace tidecast::commands
{

using store::CommandOutcome;
using store::FindOperator;

namespace
{

constexpr std::string_view kSearchErrorTag = "Search Error: ";

const std::array<std::pair<std::string_view, FindOperator>, 4> kComparisons = {{
    {"Equals", FindOperator::Equals},
    {"Contains", FindOperator::HasLike},
    {"Starts with", FindOperator::StartsLike},
    {"Ends with", FindOperator::EndsLike},
}};

} // namespace

const std::vector<std::string_view>& searchFieldLabels()
{
    using F = store::RecipientField;
    static const std::vector<std::string_view> labels = [] {
        std::vector<std::string_view> out;
        for (const auto field :
             {F::EmailAddress, F::Title, F::FirstName, F::Initial, F::LastName, F::Address1, F::Address2,
              F::City,         F::State, F::Zip,       F::Country, F::Company,  F::JobTitle, F::Web,
              F::Telephone,    F::Fax,   F::Field1,    F::Field2,  F::Field3,   F::Field4}) {
            out.push_back(store::recipientFieldInfo(field).label);
        }
        return out;
    }();
    return labels;
}

std::optional<std::string> searchFieldName(std::string_view label)
{
    if (equalsIgnoreCase(label, store::kDateAddedLabel)) {
        return std::string(store::kDateAddedField);
    }
    if (const auto field = store::recipientFieldByLabel(label)) {
        return std::string(store::recipientFieldInfo(*field).name);
    }
    return std::nullopt;
}

const std::vector<std::string_view>& searchComparisonLabels()
{
    static const std::vector<std::string_view> labels = [] {
        std::vector<std::string_view> out;
        for (const auto& entry : kComparisons) {
            out.push_back(entry.first);
        }
        return out;
    }();
    return labels;
}

std::optional<FindOperator> searchComparison(std::string_view label)
{
    for (const auto& [name, comparison] : kComparisons) {
        if (equalsIgnoreCase(name, label)) {
            return comparison;
        }
    }
    return std::nullopt;
}

RecipientSearch::RecipientSearch(std::filesystem::path dataDir, Prompter& prompter)
    : m_dataDir(std::move(dataDir))
    , m_prompter(prompter)
{}

void RecipientSearch::tell(std::string_view text, Icon icon)
{
    if (!m_repeating) {
        m_prompter.message(text, icon);
    }
}

SearchResult RecipientSearch::run(const SearchCriteria& criteria, const Visitor& visit, std::stop_token stop)
{
    SearchResult result;
    if (criteria.group.empty()) {
        m_prompter.message(text::kSelectGroupToSearch, Icon::Critical);
        return result;
    }
    const auto path = m_dataDir / (criteria.group + std::string(store::kGroupExtension));
    store::RecipientStore file;
    if (!store::RecipientStore::isDatabase(path) || !file.open(path)) {
        tell(text::kSearchGroupUnopenable, Icon::Critical);
        return result;
    }
    if (file.recordCount() == 0) {
        tell(text::kSearchGroupEmpty, Icon::Critical);
        return result;
    }
    const auto failed = [&](const Error& error) {
        m_prompter.message(store::text::procedureError(kSearchErrorTag, error), Icon::Critical);
        result.outcome = CommandOutcome::Failed;
        return result;
    };
    auto found = file.find(criteria.field, criteria.comparison, criteria.value);
    // The loop ends on the last match as well as at the end of the file.
    while (found && !file.noMatch() && !file.atEnd()) {
        ++result.found;
        visit(file);
        if (stop.stop_requested()) {
            result.outcome = CommandOutcome::Stopped;
            return result;
        }
        found = file.findNext();
    }
    if (!found) {
        return failed(found.error());
    }
    // A search stopped before its first match says nothing: the window is closing.
    result.outcome = stop.stop_requested() ? CommandOutcome::Stopped : CommandOutcome::Done;
    if (result.found == 0 && result.outcome == CommandOutcome::Done) {
        tell(text::kSearchFoundNobody, Icon::Exclamation);
    }
    return result;
}

SearchResult RecipientSearch::copyMatches(const SearchCriteria& criteria, const std::filesystem::path& target,
                                          std::stop_token stop)
{
    std::optional<Error> failure;
    const auto note = [&failure](const Result<void>& done) {
        if (!done && !failure) {
            failure = done.error();
        }
        return static_cast<bool>(done);
    };
    store::RecipientStore out;
    store::defineRecipientLayout(out);
    SearchResult result;
    if (const int status = out.createFile(target); status != 0) {
        failure = Error{ErrorCode::FileWrite, "Cannot create " + target.string(), status};
    } else if (note(out.open(target)) && note(out.beginTransaction())) {
        // A write error ends the search as the caller's stop would.
        std::stop_source halt;
        const std::stop_callback forward(stop, [&halt] { halt.request_stop(); });
        const bool wasRepeating = std::exchange(m_repeating, true);
        result = run(
            criteria,
            [&](const store::RecipientStore& match) {
                if (!note(out.addNew())) {
                    halt.request_stop();
                    return;
                }
                store::writeRecipient(out, store::readRecipient(match));
            },
            halt.get_token());
        m_repeating = wasRepeating;
        (void)note(out.close());
    }
    if (failure) {
        m_prompter.message(store::text::procedureError(kSearchErrorTag, *failure), Icon::Critical);
        result.outcome = CommandOutcome::Failed;
    }
    return result;
}

} // namespace tidecast::commands
