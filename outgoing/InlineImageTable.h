#pragma once

#include <algorithm>
#include <string>
#include <vector>

namespace tidecast::outgoing
{

// The images one HTML body refers to: file paths and their Content-IDs, in the order found.
struct InlineImageTable
{
    std::vector<std::string> paths;
    std::vector<std::string> contentIds;

    void clear()
    {
        paths.clear();
        contentIds.clear();
    }
    bool isEmpty() const { return paths.empty(); }
    // The Content-ID already given to this path, or nullptr.
    const std::string* contentIdOf(const std::string& path) const
    {
        const auto it = std::find(paths.begin(), paths.end(), path);
        return it == paths.end() ? nullptr : &contentIds[static_cast<std::size_t>(it - paths.begin())];
    }
    bool hasContentId(const std::string& id) const
    {
        return std::find(contentIds.begin(), contentIds.end(), id) != contentIds.end();
    }
    void add(std::string path, std::string contentId)
    {
        paths.push_back(std::move(path));
        contentIds.push_back(std::move(contentId));
    }
};

} // namespace tidecast::outgoing
