#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tidecast::messages
{

// What an open or save dialog is asked to show. The filter is written "Description|*.a;*.b|..." as
// pairs of a description and its patterns; front ends convert it to their own form.
struct FileDialogRequest
{
    std::string title;
    std::string filter;
    std::filesystem::path startFolder; // empty: the front end's own choice
    std::string defaultName;           // save dialogs only
};

// The file dialogs the message commands need; the desktop shows real dialogs, tests answer from a
// script. Both return no path when the person cancels.
class FileChooser
{
public:
    virtual ~FileChooser() = default;

    virtual std::optional<std::filesystem::path> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::filesystem::path> saveFile(const FileDialogRequest& request) = 0;
};

} // namespace tidecast::messages
