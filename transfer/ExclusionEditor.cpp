#include "transfer/ExclusionEditor.h"

#include "store/GroupNames.h"
#include "store/RecipientStore.h"
#include "transfer/ExclusionTexts.h"

namespace tidecast::transfer
{

ExclusionEditor::ExclusionEditor(std::filesystem::path dataDir, Prompter& prompter)
    : m_dataDir(std::move(dataDir))
    , m_prompter(prompter)
{}

Result<void> ExclusionEditor::load()
{
    auto loaded = ExclusionList::load(file());
    if (!loaded) {
        return loaded.error();
    }
    m_list = std::move(*loaded);
    return {};
}

std::string ExclusionEditor::countText() const
{
    return std::to_string(m_list.size()) + std::string(text::kCountSuffix);
}

std::vector<std::string> ExclusionEditor::groupChoices(const std::vector<std::string>& listedGroups,
                                                       const std::filesystem::path& dataDir)
{
    std::vector<std::string> choices{std::string(store::kAllGroups)};
    for (const auto& group : listedGroups) {
        if (store::RecipientStore::isDatabase(dataDir / (group + std::string(store::kGroupExtension)))) {
            choices.push_back(group);
        }
    }
    return choices;
}

ExclusionEditor::AddOutcome ExclusionEditor::add(const std::string& emailAddress, const std::string& group)
{
    if (emailAddress.find('@') == std::string::npos || emailAddress.find('.') == std::string::npos) {
        m_prompter.message(text::kInvalidAddress, Icon::Exclamation);
        return AddOutcome::InvalidAddress;
    }
    if (!m_list.add(emailAddress, group)) {
        m_prompter.message(text::kAlreadyListed, Icon::Exclamation);
        return AddOutcome::AlreadyListed;
    }
    return AddOutcome::Added;
}

bool ExclusionEditor::removeSelected(const std::vector<std::size_t>& selected)
{
    if (m_list.isEmpty()) {
        m_prompter.message(text::kNobodyToRemove, Icon::Exclamation);
        return false;
    }
    if (selected.empty()) {
        m_prompter.message(text::kSelectToRemove, Icon::Exclamation);
        return false;
    }
    if (m_prompter.ask(text::kDeleteSelectedQuestion, Buttons::YesNo, Icon::Question, Answer::No) != Answer::Yes) {
        return false;
    }
    m_list.removeAt(selected);
    return true;
}

bool ExclusionEditor::removeAll()
{
    if (m_prompter.ask(text::kDeleteAllQuestion, Buttons::YesNo, Icon::Question, Answer::No) != Answer::Yes) {
        return false;
    }
    m_list.clear();
    return true;
}

Result<void> ExclusionEditor::save() const
{
    return m_list.save(file(), ExclusionBackup::Keep);
}

Result<void> ExclusionEditor::saveForExport() const
{
    return m_list.save(file(), ExclusionBackup::None);
}

} // namespace tidecast::transfer
