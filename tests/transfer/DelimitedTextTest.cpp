#include "transfer/DelimitedText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tidecast::transfer
{
namespace
{

std::vector<std::string> split(std::string_view line, char delimiter, int count)
{
    std::vector<std::string_view> fields;
    splitFields(line, delimiter, count, fields);
    return {fields.begin(), fields.end()};
}

TEST(DelimitedText, SplitsLinesIntoTheDeclaredFields)
{
    using Fields = std::vector<std::string>;
    const struct
    {
        std::string_view line;
        char delimiter;
        int count;
        Fields fields;
    } cases[] = {
        {"a,b,c", ',', 3, {"a", "b", "c"}},
        {"a, b ,  c  ", ',', 3, {"a", "b ", "c"}}, // the text after each delimiter loses its outer blanks
        {"a,,c", ',', 3, {"a", "", "c"}},
        {"a,b", ',', 3, {"a", "b", ""}},       // fields the line does not reach are empty
        {"a,b,c,d", ',', 2, {"a", "b"}},       // fields after the count are ignored
        {"a b    c", ' ', 3, {"a", "b", "c"}}, // a run of blanks is one separator
        {"a\t\tc", '\t', 3, {"a", "", "c"}},
        {"\"Smith, John\",js@example.com", ',', 2, {"\"Smith, John\"", "js@example.com"}},
        {"\"Smith, Jr., John\",js@example.com", ',', 2, {"\"Smith, Jr., John\"", "js@example.com"}},
        {"\"say \"\"hi, there\"\"\",x", ',', 2, {"\"say \"\"hi, there\"\"\"", "x"}},
        {"  \"a;b\";c", ';', 2, {"  \"a;b\"", "c"}},
        {"\"open, never closed,x", ',', 2, {"\"open", "never closed"}}, // no closing quote: plain field
        {"a,b,", ',', 3, {"a", "b", ""}},
        {"", ',', 2, {"", ""}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(split(c.line, c.delimiter, c.count), c.fields) << c.line;
    }
}

TEST(DelimitedText, CountsFieldsOnlyWhereTheDelimiterOccurs)
{
    EXPECT_EQ(countFields("ann@example.com", ','), 0);
    EXPECT_EQ(countFields("a,b,", ','), 3);
    EXPECT_EQ(countFields("\"Smith, Jr., John\",x", ','), 2);
    EXPECT_EQ(countFields("a   b c", ' '), 3);
}

TEST(DelimitedText, CleansQuotesAndBlanks)
{
    const struct
    {
        std::string_view value;
        std::string_view cleaned;
    } cases[] = {
        {"\"Smith, John\"", "Smith, John"},
        {"  plain  ", "plain"},
        {"\"", "\""},
        {"\"unclosed", "unclosed"},
        {"\"a \"\"b\"\" c\"", "a \"b\" c"},
        {"\"x\" ", "x"},
        {"mid\"quote\"", "mid\"quote\""},
        {"\"\"", ""},
        {"\"   \"", ""},
        {"\" a \"tail ", "a tail"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cleanField(c.value), c.cleaned) << c.value;
        std::string reused = "what the previous row left in this field";
        cleanFieldInto(c.value, reused);
        EXPECT_EQ(reused, c.cleaned) << c.value;
    }
}

TEST(DelimitedText, GuessesTheLayoutOfTheFirstLine)
{
    const struct
    {
        std::string_view line;
        bool delimited;
        std::optional<Delimiter> delimiter;
        int count;
    } cases[] = {
        {"ann@example.com;Ann;Lee", true, Delimiter::Semicolon, 3},
        {"a\tb\tc;d;e;f", true, std::nullopt, 0}, // two tabs, three semicolons: left as it was
        {"a,b,c\td", true, Delimiter::Comma, 3},
        {"a\tb\tc", true, Delimiter::Tab, 3},
        {"Ann Lee ann@example.com", true, Delimiter::Spaces, 3},
        {"ann@example.com", false, std::nullopt, 0},
        {"\"Lee, Ann\",ann@example.com", true, Delimiter::Comma, 2},
    };
    for (const auto& c : cases) {
        const auto guess = guessLayout(c.line);
        EXPECT_EQ(guess.delimited, c.delimited) << c.line;
        EXPECT_EQ(guess.delimiter, c.delimiter) << c.line;
        EXPECT_EQ(guess.fieldCount, c.count) << c.line;
    }
}

TEST(DelimitedText, SplitsWholeNamesOfOneToFiveWords)
{
    const struct
    {
        std::string_view name;
        NameParts parts;
    } cases[] = {
        {"Jane", {"", "Jane", "", ""}},
        {"Jane Smith", {"", "Jane", "", "Smith"}},
        {"Mr John Smith", {"Mr", "John", "", "Smith"}},
        {"John A Smith", {"", "John", "A", "Smith"}},
        {"Dr J Smith", {"Dr", "J", "", "Smith"}},
        {"John Paul Smith", {"", "John", "", "Paul Smith"}},
        {"Mrs Jo Ann Lee", {"Mrs", "Jo", "", "Lee"}}, // W3 not short: the words after it are the last name
        {"Mr John B Smith", {"Mr", "John", "B", "Smith"}},
        {"Dr J K Smith", {"Dr", "J", "K", "Smith"}},
        {"John A B Smith", {"", "John", "A", "B Smith"}}, // initial already set: W3 onwards is the last name
        {"Prof John Q de Vries", {"", "Prof", "", "John Q de Vries"}},
        {"Mr J R R Tolkien", {"Mr", "J", "R", "R Tolkien"}},
        {"  Ann   ", {"", "Ann", "", ""}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(splitName(c.name), c.parts) << c.name;
    }
}

} // namespace
} // namespace tidecast::transfer
