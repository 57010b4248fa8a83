#pragma once

#include "common/Prompter.h"
#include "store/CommandOutcome.h"
#include "store/RecipientStore.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast::commands
{

// What the search looks for: one group's records whose field compares with the value.
struct SearchCriteria
{
    std::string group;
    std::string field = "EmailAddress"; // stored field name
    store::FindOperator comparison = store::FindOperator::Equals;
    std::string value;
};

struct SearchResult
{
    // Done after a search that ran, whether it found anyone or not; Refused when there was no
    // group, it could not be opened or it was empty; Stopped; Failed on a read error.
    store::CommandOutcome outcome = store::CommandOutcome::Refused;
    std::int64_t found = 0;

    bool succeeded() const { return outcome == store::CommandOutcome::Done && found > 0; }
};

// The field chooser's labels, in the order offered.
const std::vector<std::string_view>& searchFieldLabels();
// The stored field name of a chooser label ("Email Address" -> "EmailAddress"), ignoring case.
// "Date Added" is known as well, though not offered.
std::optional<std::string> searchFieldName(std::string_view label);
// The comparison chooser's labels ("Equals", "Contains", "Starts with", "Ends with"), in order.
const std::vector<std::string_view>& searchComparisonLabels();
std::optional<store::FindOperator> searchComparison(std::string_view label);

// Finds the records of a group that match the criteria, in file order, through its own database
// instance, so it may run on a worker thread while the main window keeps its own. An "Email
// Address" that equals the value is one index look-up; every other comparison reads the file once.
class RecipientSearch
{
public:
    // Called on the searching thread with the file positioned on each match.
    using Visitor = std::function<void(const store::RecipientStore& match)>;

    RecipientSearch(std::filesystem::path dataDir, Prompter& prompter);

    // A repeated search after a change in the results shows none of its messages.
    void setRepeating(bool on) { m_repeating = on; }
    bool repeating() const { return m_repeating; }

    // Stops between matches when `stop` is requested; what was found so far stays found.
    SearchResult run(const SearchCriteria& criteria, const Visitor& visit, std::stop_token stop = {});

    // The same search, writing each match with all its fields, "DateAdded" included, into a new
    // recipient file at `target` (one already there is replaced): what the export of the results
    // reads. Says nothing about what it finds, as a repeated search; a write error is reported.
    SearchResult copyMatches(const SearchCriteria& criteria, const std::filesystem::path& target,
                             std::stop_token stop = {});

private:
    void tell(std::string_view text, Icon icon);

    std::filesystem::path m_dataDir;
    Prompter& m_prompter;
    bool m_repeating = false;
};

} // namespace tidecast::commands
