#include "messages/ComposerRules.h"

#include <gtest/gtest.h>

#include <set>

namespace tidecast::messages
{
namespace
{

TEST(ComposerRules, EveryMergeCommandInsertsItsOwnMacro)
{
    const auto& commands = macroCommands();
    EXPECT_EQ(commands.size(), 22u);
    std::set<std::string_view> ids;
    std::set<std::string_view> macros;
    for (const auto& command : commands) {
        ids.insert(command.commandId);
        macros.insert(command.macro);
        EXPECT_TRUE(command.macro.starts_with("!*") && command.macro.ends_with("*!")) << command.macro;
    }
    EXPECT_EQ(ids.size(), commands.size());
    EXPECT_EQ(macros.size(), commands.size());
    EXPECT_EQ(macroForCommand("ID_FirstName"), "!*FIRST_NAME*!");
    EXPECT_EQ(macroForCommand("ID_Zip/PostCode"), "!*ZIPCODE*!");
    EXPECT_EQ(macroForCommand("ID_Field4"), "!*ADDITIONAL_FIELD4*!");
    EXPECT_FALSE(macroForCommand("ID_Send").has_value());
}

TEST(ComposerRules, TargetsAndEnabledCommands)
{
    EXPECT_EQ(macroTarget(ComposerField::Subject), ComposerField::Subject);
    EXPECT_EQ(macroTarget(ComposerField::Html), ComposerField::Body);
    EXPECT_EQ(macroTarget(std::nullopt), ComposerField::Body);
    EXPECT_EQ(editTarget(ComposerField::Html), ComposerField::Html);
    EXPECT_EQ(editTarget(std::nullopt), ComposerField::Body);

    const FieldState full{true, false, true};
    EXPECT_EQ(checkedit(false, full, true), EditCommands{});
    EXPECT_EQ(checkedit(true, full, true), (EditCommands{true, true, true, true, true, true}));
    EXPECT_EQ(checkedit(true, FieldState{false, true, false}, false), EditCommands{});
    EXPECT_EQ(checkedit(true, FieldState{false, false, false}, true),
              (EditCommands{false, false, false, true, false, true}));
}

TEST(ComposerRules, EditorTextUsesLineFeedsAndDocumentsCrLf)
{
    EXPECT_EQ(toEditorText("a\r\nb\rc\nd"), "a\nb\nc\nd");
    EXPECT_EQ(fromEditorText("a\nb\n"), "a\r\nb\r\n");
    EXPECT_EQ(fromEditorText(toEditorText("x\r\n\r\ny")), "x\r\n\r\ny");
}

} // namespace
} // namespace tidecast::messages
