#include "cli/TerminalProgress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace tidecast::cli
{
namespace
{

struct BarCase
{
    const char* name;
    bool draw;
    std::int64_t maximum;
    std::vector<std::int64_t> values;
    std::vector<std::string> frames; // each drawing, without the leading carriage return
};

std::string bar(int filled, int percent)
{
    return "[" + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(30 - filled), ' ') + "] " + std::to_string(percent) + "%\033[K";
}

TEST(TerminalProgressTest, DrawsOnlyOnATerminalAndOnlyWhenThePercentageMoves)
{
    const BarCase cases[] = {
        {"piped output stays clean", false, 200, {0, 100, 200}, {}},
        {"no maximum yet draws nothing", true, 0, {5, 10}, {}},
        {"same percentage is not redrawn",
         true,
         200,
         {0, 1, 2, 100, 101, 200},
         {bar(0, 0), bar(0, 1), bar(15, 50), bar(30, 100)}},
        {"values past the end stop at the end", true, 10, {25}, {bar(0, 0), bar(30, 100)}},
        {"a drop back ends the line without a 0% frame", true, 4, {2, 0, 0}, {bar(0, 0), bar(15, 50)}},
        {"the next rise after the end starts a new line",
         true,
         4,
         {4, 0, 2},
         {bar(0, 0), bar(30, 100) + "\n", bar(15, 50)}},
    };
    for (const auto& c : cases) {
        std::ostringstream err;
        {
            TerminalProgress progress(err, c.draw);
            progress.setMaximum(c.maximum);
            for (const auto value : c.values) {
                progress.setValue(value);
            }
        }
        std::string expected;
        for (const auto& frame : c.frames) {
            expected += "\r" + frame;
        }
        if (!c.frames.empty()) {
            expected += "\n"; // the last bar keeps its line
        }
        EXPECT_EQ(err.str(), expected) << c.name;
    }
}

TEST(TerminalProgressTest, ANewLabelRedrawsAtTheSamePercentage)
{
    std::ostringstream err;
    {
        TerminalProgress progress(err, true);
        progress.setMaximum(4);
        progress.setValue(2);
        progress.setLabel("Compacting ...");
    }
    EXPECT_EQ(err.str(), "\r" + bar(0, 0) + "\r" + bar(15, 50) + "\rCompacting ... " + bar(15, 50) + "\n");
}

} // namespace
} // namespace tidecast::cli
