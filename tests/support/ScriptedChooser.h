#pragma once

#include "messages/FileChooser.h"

#include <deque>
#include <filesystem>
#include <optional>
#include <vector>

namespace tidecast
{

// File dialogs for tests: answered from a queue (an empty optional, like an empty queue, is
// Cancel), with every request recorded.
class ScriptedChooser final : public messages::FileChooser
{
public:
    std::optional<std::filesystem::path> openFile(const messages::FileDialogRequest& request) override
    {
        return next(request);
    }
    std::optional<std::filesystem::path> saveFile(const messages::FileDialogRequest& request) override
    {
        return next(request);
    }

    std::deque<std::optional<std::filesystem::path>> answers;
    std::vector<messages::FileDialogRequest> requests;

private:
    std::optional<std::filesystem::path> next(const messages::FileDialogRequest& request)
    {
        requests.push_back(request);
        if (answers.empty()) {
            return std::nullopt;
        }
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

} // namespace tidecast
