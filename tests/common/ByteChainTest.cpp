#include "common/ByteChain.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using tidecast::ByteChain;

TEST(ByteChain, KeepsOwnedTextTogetherAndSharedTextApart)
{
    auto shared = std::make_shared<const std::string>("SHARED");
    ByteChain chain("head ");
    chain.append("more");
    chain.appendShared(shared);
    chain.appendShared(std::make_shared<const std::string>()); // nothing to add
    chain.append("");
    chain.append("\r\n");
    chain.append("tail");

    const auto pieces = chain.pieces();
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0], "head more");
    EXPECT_EQ(pieces[1].data(), shared->data()); // referenced, not copied
    EXPECT_EQ(pieces[2], "\r\ntail");
    EXPECT_EQ(chain.toString(), "head moreSHARED\r\ntail");
    EXPECT_EQ(chain.size(), chain.toString().size());

    // Tails that reach back over more than one piece.
    struct Case
    {
        std::string tail;
        bool expected;
    };
    const std::vector<Case> cases = {
        {"", true},
        {"tail", true},
        {"\r\ntail", true},
        {"ED\r\ntail", true},
        {"head moreSHARED\r\ntail", true},
        {"xhead moreSHARED\r\ntail", false},
        {"EX\r\ntail", false},
        {"tai", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(chain.endsWith(c.tail), c.expected) << c.tail;
    }
    EXPECT_TRUE(ByteChain().empty());
    EXPECT_FALSE(ByteChain().endsWith("x"));
    EXPECT_TRUE(ByteChain().pieces().empty());
}
