#include "transfer/KnownAddresses.h"

#include <gtest/gtest.h>

#include <string>
#include <unordered_set>

namespace tidecast::transfer
{
namespace
{

TEST(KnownAddresses, AnswersAsAScanOfLowerCasedAddressesWould)
{
    KnownAddresses known;
    std::unordered_set<std::string> reference;
    // Enough to make the table grow several times, with every fifth address repeated in capitals.
    for (int i = 0; i < 20000; ++i) {
        std::string address = "user" + std::to_string(i % 7000) + "@Example.com";
        if (i % 5 == 0) {
            for (auto& c : address) {
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            }
        }
        std::string lowered;
        for (const char c : address) {
            lowered += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        EXPECT_EQ(known.contains(address), reference.contains(lowered)) << address;
        EXPECT_EQ(known.insert(address), reference.insert(lowered).second) << address;
    }
    EXPECT_EQ(known.size(), reference.size());
    EXPECT_FALSE(known.contains("user7000@example.com"));
    EXPECT_FALSE(known.contains(""));
    EXPECT_TRUE(known.insert(""));
    EXPECT_TRUE(known.contains(""));
    known.clear();
    EXPECT_FALSE(known.contains("user1@example.com"));
}

} // namespace
} // namespace tidecast::transfer
