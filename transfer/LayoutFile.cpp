#include "transfer/LayoutFile.h"

#include "common/Text.h"

#include <limits>

namespace tidecast::transfer
{

namespace
{

constexpr std::string_view kMarker = "T2";
constexpr std::string_view kInvalidLayout = "This is an Invalid Import Layout List.";
constexpr std::string_view kDifferentCount = "This Import layout file contains a different number of fields to that "
                                             "which you have currently selected\r\n\r\n"
                                             "Are you sure you wish to use this layout file?";
constexpr std::string_view kSavedTo = "Import Layout List saved to \r\n";

std::string printedNumber(int value)
{
    return value < 0 ? std::to_string(value) + " " : " " + std::to_string(value) + " ";
}

} // namespace

std::string formatLayoutFile(const ImportLayoutFile& layout)
{
    std::string text = layout.fieldCount;
    text += kCrLf;
    text += kMarker;
    text += kCrLf;
    for (const int position : layout.positions) {
        text += printedNumber(position);
        text += kCrLf;
    }
    return text;
}

Result<void> writeLayoutFile(const std::filesystem::path& path, const ImportLayoutFile& layout)
{
    if (!writeWholeFile(path, formatLayoutFile(layout))) {
        return Error{ErrorCode::FileWrite, "Unable to write " + path.string(), 75};
    }
    return {};
}

long long leadingNumber(std::string_view text)
{
    text = trimWhitespace(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    long long value = 0;
    constexpr long long kLimit = std::numeric_limits<int>::max();
    for (const char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        value = std::min(kLimit, value * 10 + (c - '0'));
    }
    return negative ? -value : value;
}

bool saveLayout(const std::filesystem::path& path, const ImportLayoutFile& layout, Prompter& prompter)
{
    if (auto written = writeLayoutFile(path, layout); !written) {
        prompter.message(written.error().detail, Icon::Critical);
        return false;
    }
    prompter.message(std::string(kSavedTo) + path.string(), Icon::Information);
    return true;
}

std::optional<LoadedLayout> loadLayout(std::string_view text, int currentCount, Prompter& prompter)
{
    const auto lines = splitLines(text);
    const auto line = [&lines](std::size_t index) {
        return index < lines.size() ? std::string_view(lines[index]) : std::string_view();
    };
    const auto count = leadingNumber(line(0));
    if (count <= 0) {
        prompter.message(kInvalidLayout, Icon::Critical);
        return std::nullopt;
    }
    LoadedLayout loaded;
    loaded.fieldCount = static_cast<int>(count);
    if (count != currentCount &&
        prompter.ask(kDifferentCount, Buttons::YesNo, Icon::Question, Answer::Yes) != Answer::Yes) {
        return std::nullopt;
    }
    if (trimWhitespace(line(1)) != kMarker) {
        prompter.message(kInvalidLayout, Icon::Critical);
        return std::nullopt;
    }
    for (std::size_t i = 0; i < kMatchUpFields; ++i) {
        const auto position = leadingNumber(line(i + 2));
        // A position past the entries the lists hold (or below the first) selects "(blank)".
        loaded.positions[i] = position < 0 || position > count ? 0 : static_cast<int>(position);
    }
    return loaded;
}

std::optional<LoadedLayout> loadLayoutFile(const std::filesystem::path& path, int currentCount, Prompter& prompter)
{
    return loadLayout(readWholeFile(path), currentCount, prompter);
}

} // namespace tidecast::transfer
