#include "outgoing/MergeMacros.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

using namespace tidecast;
using namespace tidecast::outgoing;
using store::RecipientField;

namespace
{

store::RecipientRecord recipient()
{
    store::RecipientRecord record;
    record.set(RecipientField::EmailAddress, "jane.doe@example.com");
    record.set(RecipientField::Title, "Dr");
    record.set(RecipientField::FirstName, "Jane");
    record.set(RecipientField::LastName, "Doe");
    record.set(RecipientField::City, "Leeds");
    record.set(RecipientField::Field4, "  padded  ");
    return record;
}

} // namespace

TEST(MergeMacros, TableIsCompleteAndUnique)
{
    std::set<std::string_view> macros;
    std::set<std::string_view> commands;
    for (const MergeMacro& macro : kMergeMacros) {
        macros.insert(macro.macro);
        commands.insert(macro.commandId);
        EXPECT_TRUE(macro.macro.starts_with("!*") && macro.macro.ends_with("*!")) << macro.macro;
        EXPECT_EQ(mergeMacroForCommand(macro.commandId), &macro);
    }
    EXPECT_EQ(macros.size(), kMergeMacroCount);
    EXPECT_EQ(commands.size(), kMergeMacroCount);
    EXPECT_EQ(kMergeMacros.front().macro, "!*EMAIL*!");
    EXPECT_EQ(kMergeMacros.back().macro, "!*ADDITIONAL_FIELD4*!");
    EXPECT_EQ(mergeMacroForCommand("ID_Send"), nullptr);
}

TEST(MergeMacros, replaceMergeMacros)
{
    struct Case
    {
        const char* what;
        std::string text;
        std::function<void(store::RecipientRecord&)> change;
        std::string expected;
    };
    const Case cases[] = {
        {"every occurrence", "!*FIRST_NAME*! !*FIRST_NAME*!!*LAST_NAME*!", nullptr, "Jane JaneDoe"},
        {"user name", "!*USERNAME*!", nullptr, "jane.doe"},
        {"user name without at sign", "!*USERNAME*!",
         [](store::RecipientRecord& r) { r.set(RecipientField::EmailAddress, "local-only"); }, "local-only"},
        {"complete name keeps inner blanks", "[!*COMPLETE_NAME*!]",
         [](store::RecipientRecord& r) { r.set(RecipientField::FirstName, ""); }, "[Dr  Doe]"},
        {"complete name trimmed", "[!*COMPLETE_NAME*!]",
         [](store::RecipientRecord& r) { r.set(RecipientField::Title, ""); }, "[Jane Doe]"},
        {"values are not trimmed", "<!*ADDITIONAL_FIELD4*!>", nullptr, "<  padded  >"},
        {"a later macro inside a value is replaced", "Hi !*FIRST_NAME*!",
         [](store::RecipientRecord& r) { r.set(RecipientField::FirstName, "from !*CITY*!"); }, "Hi from Leeds"},
        {"a value is not searched for its own macro", "Hi !*FIRST_NAME*!",
         [](store::RecipientRecord& r) { r.set(RecipientField::FirstName, "x!*FIRST_NAME*!y"); },
         "Hi x!*FIRST_NAME*!y"},
        {"an earlier macro inside a value stays", "!*CITY*!",
         [](store::RecipientRecord& r) { r.set(RecipientField::City, "!*EMAIL*!"); }, "!*EMAIL*!"},
        {"case matters", "!*first_name*! !*FIRST_NAME", nullptr, "!*first_name*! !*FIRST_NAME"},
    };
    for (const Case& c : cases) {
        store::RecipientRecord record = recipient();
        if (c.change) {
            c.change(record);
        }
        std::string text = c.text;
        replaceMergeMacros(text, record);
        EXPECT_EQ(text, c.expected) << c.what;
    }
}

TEST(MergeMacros, HtmlValuesAreEscaped)
{
    store::RecipientRecord record = recipient();
    record.set(RecipientField::Company, "A & B <Ltd>");
    record.set(RecipientField::Field1, "\"><script>x()</script>");
    std::string html = "<p title=\"!*COMPANY_NAME*!\">!*ADDITIONAL_FIELD1*! &amp; !*COMPANY_NAME*!</p>";
    replaceMergeMacros(html, record, MergeEscape::Html);
    EXPECT_EQ(html, "<p title=\"A &amp; B &lt;Ltd&gt;\">&quot;&gt;&lt;script&gt;x()&lt;/script&gt; &amp; A &amp; B "
                    "&lt;Ltd&gt;</p>");
    std::string text = "!*COMPANY_NAME*!";
    replaceMergeMacros(text, record);
    EXPECT_EQ(text, "A & B <Ltd>");
}

TEST(MergeMacros, hasMergeMacros)
{
    EXPECT_TRUE(hasMergeMacros("Dear !*ADDITIONAL_FIELD3*!,"));
    EXPECT_TRUE(hasMergeMacros("!*!*EMAIL*!"));
    EXPECT_FALSE(hasMergeMacros("!*UNKNOWN*! !*EMAIL* !* EMAIL*!"));
    EXPECT_FALSE(hasMergeMacros(""));
}
