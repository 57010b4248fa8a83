#pragma once

#include "common/Progress.h"
#include "outgoing/MessageBuilder.h"
#include "support/FixedClock.h"
#include "support/SequenceIdSource.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

namespace tidecast::test
{

// 2026-12-06 14:12:13 UTC, the date of every test message.
inline const std::chrono::system_clock::time_point kMailDate{std::chrono::seconds(1796566333)};

// A GIF of one pixel.
inline const std::string
    kOnePixelGif("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00!\xf9\x04\x01\x00\x00\x00\x00,"
                 "\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
                 43);

// Writes `content` to the file `name` in `dir` and gives its path.
inline std::string writeTestFile(const std::filesystem::path& dir, const std::string& name, const std::string& content)
{
    const auto path = dir / name;
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
}

// The message for `recipient` as a mailing at kMailDate builds it; empty, and a test failure,
// when it cannot be built.
inline std::string buildMail(const outgoing::OutgoingMessage& message, const settings::Settings& settings,
                             const store::RecipientRecord& recipient)
{
    FixedClock clock{kMailDate};
    SequenceIdSource ids;
    NullProgress progress;
    auto builder = outgoing::MessageBuilder::create(message, settings, clock, ids);
    EXPECT_TRUE(builder) << (builder ? "" : builder.error().detail);
    if (!builder) {
        return {};
    }
    auto built = builder->buildMessage(recipient, progress);
    EXPECT_TRUE(built) << (built ? "" : built.error().detail);
    return built ? *built : std::string();
}

} // namespace tidecast::test
