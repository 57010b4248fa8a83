#pragma once

#include "common/Prompter.h"
#include "common/StatusSink.h"
#include "filters/FilterSet.h"
#include "store/RecipientRecord.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace tidecast::store
{
class RecipientStore;
}

namespace tidecast::filters
{

inline constexpr std::string_view kAfterDateFilterName = "Added On/After Date Filter";
inline constexpr std::string_view kBeforeDateFilterName = "Added Before Date Filter";
inline constexpr std::string_view kApplyingFiltersStatus = "Applying filters";
inline constexpr std::string_view kCheckingFilterListStatus = "Checking Filter List";

// The error number reported when a recipient's date added cannot be read as a date.
inline constexpr int kUnreadableDateError = 1301;

// The send options' two date filters. They compare whole calendar days: the time of day, when a
// stored date has one, is ignored.
struct DateFilters
{
    bool afterOn = false;
    std::chrono::year_month_day after{}; // keep recipients added on or after this day
    bool beforeOn = false;
    std::chrono::year_month_day before{}; // keep recipients added strictly before this day
};

// "YYYY-MM-DD", optionally followed by a blank or "T" and a time of day.
std::optional<std::chrono::year_month_day> parseDateAdded(std::string_view text);

// What an evaluator tells its caller. `filtered` is true when the candidate is left out; the
// reason is then the failing rule's text or a date filter's name, valid while the FilterSet
// lives. `metError` is true when a value could not be read: the message has been shown and the
// candidate passes, and an import or export marks its run as having met errors.
struct FilterVerdict
{
    bool filtered = false;
    std::string_view reason;
    bool metError = false;
};

// An import candidate: the twenty parsed values and the whole-name value before it is split.
struct ImportFilterValues
{
    const store::RecipientRecord& record;
    std::string_view wholeName;
};

// An exported recipient with the full name the export builds for it.
struct ExportFilterValues
{
    const store::RecipientRecord& record;
    std::string_view fullName;
};

// An exclusion-list entry being exported.
struct ExclusionFilterValues
{
    std::string_view address;
    std::string_view groupName;
};

// The import engine's filter: pass or fail only.
FilterVerdict filterImportedRecipient(const FilterSet& filters, const ImportFilterValues& candidate,
                                      Prompter& prompter);

// The exclusion import's filter: every rule is compared with the address, whatever field it names.
FilterVerdict filterImportedExclusion(const FilterSet& filters, std::string_view address, Prompter& prompter,
                                      StatusSink& status);

// The group export's filter.
FilterVerdict filterExportedRecipient(const FilterSet& filters, const ExportFilterValues& candidate, Prompter& prompter,
                                      StatusSink& status);

// The exclusion-list export's filter: only "Email Address" and "Group Name" have values.
FilterVerdict filterExportedExclusion(const FilterSet& filters, const ExclusionFilterValues& candidate,
                                      Prompter& prompter, StatusSink& status);

// The mailing's filter on the current recipient: the date filters first, then the rules. The
// store overload reads the values by column name from the open group file.
FilterVerdict filterMailingRecipient(const FilterSet& filters, const DateFilters& dates,
                                     const store::RecipientStore& group, Prompter& prompter, StatusSink& status);
FilterVerdict filterMailingRecipient(const FilterSet& filters, const DateFilters& dates,
                                     const store::RecipientRecord& recipient, Prompter& prompter, StatusSink& status);

} // namespace tidecast::filters
