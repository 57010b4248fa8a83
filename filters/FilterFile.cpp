#include "filters/FilterFile.h"

#include "common/Text.h"

#include <fstream>
#include <iterator>

namespace tidecast::filters
{

namespace
{

std::string& lastFolder(settings::Settings& settings, FilterFileKind kind)
{
    return kind == FilterFileKind::Import ? settings.lastImportFilterFolder : settings.lastSendFilterFolder;
}

// The folder part of a chosen file, with its trailing separator.
std::string folderOf(const std::filesystem::path& file)
{
    std::string folder = file.parent_path().string();
    if (folder.empty() || folder.back() != std::filesystem::path::preferred_separator) {
        folder.push_back(std::filesystem::path::preferred_separator);
    }
    return folder;
}

} // namespace

const FilterFileType& filterFileType(FilterFileKind kind)
{
    static const FilterFileType import{".tcf", "Tidecast Filter lists (*.tcf)|*.tcf", "Select an existing filter list",
                                       "Tidecast Filter lists (*.tcf)|*.tcf", "LastIFilterDir"};
    static const FilterFileType send{".gsf", "Tidecast Send Filter lists (*.gsf)|*.gsf",
                                     "Select an existing Send filter list", "Tidecast Send Filters (*.gsf)|*.gsf",
                                     "LastSFilterDir"};
    return kind == FilterFileKind::Import ? import : send;
}

Result<void> writeFilterFile(const std::filesystem::path& path, const FilterList& list)
{
    std::string content;
    for (const auto& line : list) {
        content.append(line).append(kCrLf);
    }
    if (!writeWholeFile(path, content)) {
        return Error{ErrorCode::FileWrite, "Unable to write " + path.string()};
    }
    return {};
}

Result<FilterList> readFilterFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return Error{ErrorCode::FileNotFound, "Unable to open " + path.string()};
    }
    std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        return Error{ErrorCode::FileRead, "Unable to read " + path.string()};
    }
    FilterList list;
    for (auto& line : splitLines(content)) {
        if (!trimWhitespace(line).empty()) {
            list.push_back(toUtf8(line));
        }
    }
    return list;
}

std::string filterStartFolder(const settings::Settings& settings, FilterFileKind kind, std::string_view dataFolder)
{
    const std::string& folder =
        kind == FilterFileKind::Import ? settings.lastImportFilterFolder : settings.lastSendFilterFolder;
    return folder.empty() ? std::string(dataFolder) : folder;
}

bool canSaveFilterList(const FilterList& list, Prompter& prompter)
{
    if (list.empty()) {
        prompter.message(kEmptyFilterListMessage, Icon::Exclamation);
        return false;
    }
    return true;
}

bool saveFilterList(FilterFileKind kind, const FilterList& list, const std::filesystem::path& chosen,
                    settings::Settings& settings, Prompter& prompter)
{
    lastFolder(settings, kind) = folderOf(chosen);
    if (auto written = writeFilterFile(chosen, list); !written) {
        prompter.message(written.error().detail, Icon::Critical);
        return false;
    }
    prompter.message(std::string(kFilterListSavedMessage) + std::string(kCrLf) + chosen.string(), Icon::Information);
    return true;
}

FilterLoadStatus loadFilterList(FilterFileKind kind, const std::filesystem::path& chosen, settings::Settings& settings,
                                Prompter& prompter, FilterList& list)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(chosen, ec)) {
        prompter.message(kInvalidFilterFileMessage, Icon::Exclamation);
        return FilterLoadStatus::Missing;
    }
    lastFolder(settings, kind) = folderOf(chosen);
    auto loaded = readFilterFile(chosen);
    if (!loaded) {
        prompter.message(loaded.error().detail, Icon::Critical);
        return FilterLoadStatus::Failed;
    }
    list = std::move(loaded.value());
    return FilterLoadStatus::Loaded;
}

} // namespace tidecast::filters
