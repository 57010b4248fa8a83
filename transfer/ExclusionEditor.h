#pragma once

#include "common/Prompter.h"
#include "common/Result.h"
#include "transfer/ExclusionList.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast::transfer
{

// What the exclusion list window does with its list, for the window and the command line alike:
// the Add dialog's checks, Delete, Delete All and the save on OK. Messages go through the prompter
// with the window's own texts.
class ExclusionEditor
{
public:
    ExclusionEditor(std::filesystem::path dataDir, Prompter& prompter);

    // Loads the file into the list (an empty list when there is none).
    [[nodiscard]] Result<void> load();

    ExclusionList& list() { return m_list; }
    const ExclusionList& list() const { return m_list; }
    std::filesystem::path file() const { return ExclusionList::filePath(m_dataDir); }

    // The number of entries followed by " Recipients".
    std::string countText() const;

    // The groups an entry may name: "All Groups", then every listed group whose file exists.
    static std::vector<std::string> groupChoices(const std::vector<std::string>& listedGroups,
                                                 const std::filesystem::path& dataDir);

    // The result of the Add dialog's OK.
    enum class AddOutcome
    {
        Added,
        InvalidAddress, // the focus goes back to the address box
        AlreadyListed,
    };
    AddOutcome add(const std::string& emailAddress, const std::string& group);

    // Delete: checks, the question, then removes the selected positions. True when any went.
    bool removeSelected(const std::vector<std::size_t>& selected);
    // Delete All after the question. True when the list was cleared.
    bool removeAll();

    // The window's OK: rewrites the file, keeping the previous one as the ".old" backup.
    [[nodiscard]] Result<void> save() const;
    // The write before an export: rewrites the file without a backup.
    [[nodiscard]] Result<void> saveForExport() const;

private:
    std::filesystem::path m_dataDir;
    Prompter& m_prompter;
    ExclusionList m_list;
};

} // namespace tidecast::transfer
