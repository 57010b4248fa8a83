#include "messages/ComposerRules.h"

#include <gtest/gtest.h>

namespace tidecast::messages
{
namespace
{

TEST(ComposerRules, TargetsAndEnabledCommands)
{
    EXPECT_EQ(macroTarget(ComposerField::Subject), ComposerField::Subject);
    EXPECT_EQ(macroTarget(ComposerField::Html), ComposerField::Body);
    EXPECT_EQ(macroTarget(std::nullopt), ComposerField::Body);
    EXPECT_EQ(editTarget(ComposerField::Html), ComposerField::Html);
    EXPECT_EQ(editTarget(std::nullopt), ComposerField::Body);

    const FieldState full{true, false, true};
    EXPECT_EQ(updateEditCommands(false, full, true), EditCommands{});
    EXPECT_EQ(updateEditCommands(true, full, true), (EditCommands{true, true, true, true, true, true}));
    EXPECT_EQ(updateEditCommands(true, FieldState{false, true, false}, false), EditCommands{});
    EXPECT_EQ(updateEditCommands(true, FieldState{false, false, false}, true),
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
