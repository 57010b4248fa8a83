#include "common/CompactStringSet.h"

#include <gtest/gtest.h>

#include <string>
#include <unordered_set>

namespace tidecast
{
namespace
{

TEST(CompactStringSet, AgreesWithAHashSetAcrossBlocksAndGrowth)
{
    CompactStringSet set;
    std::unordered_set<std::string> reference;
    EXPECT_FALSE(set.contains("a@example.test"));
    // 50,000 addresses fill more than one block and make the table grow many times.
    for (int i = 0; i < 50000; ++i) {
        const auto address = "user" + std::to_string(i * 7) + "@example" + std::to_string(i % 13) + ".test";
        EXPECT_EQ(set.insert(address), reference.insert(address).second);
    }
    EXPECT_FALSE(set.insert("user0@example0.test"));
    EXPECT_EQ(set.size(), reference.size());
    for (int i = 0; i < 350000; i += 11) {
        const auto address = "user" + std::to_string(i) + "@example" + std::to_string(i / 7 % 13) + ".test";
        ASSERT_EQ(set.contains(address), reference.contains(address)) << address;
    }
    EXPECT_FALSE(set.contains("user0@example0.tes"));
    EXPECT_FALSE(set.contains("user0@example0.test "));

    // Edge lengths: empty, the longest kept, one too long.
    EXPECT_TRUE(set.insert(""));
    EXPECT_TRUE(set.contains(""));
    const std::string longest(CompactStringSet::kMaxLength, 'x');
    EXPECT_TRUE(set.insert(longest));
    EXPECT_TRUE(set.contains(longest));
    EXPECT_FALSE(set.insert(longest + "x"));
    EXPECT_FALSE(set.contains(longest + "x"));
    EXPECT_FALSE(set.contains(std::string(CompactStringSet::kMaxLength - 1, 'x')));

    set.clear();
    EXPECT_TRUE(set.empty());
    EXPECT_FALSE(set.contains("user0@example0.test"));
    EXPECT_TRUE(set.insert("user0@example0.test"));
    EXPECT_TRUE(set.contains("user0@example0.test"));
}

} // namespace
} // namespace tidecast
