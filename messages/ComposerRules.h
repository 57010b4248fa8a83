#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tidecast::messages
{

// The composer's three text fields that edit commands and macros act on.
enum class ComposerField
{
    Subject,
    Body,
    Html,
};

// What updateEditCommands needs to know about the focused text field.
struct FieldState
{
    bool hasSelection = false;
    bool isEmpty = true;
    bool canUndo = false;
};

// Which of the six edit commands are enabled.
struct EditCommands
{
    bool undo = false;
    bool cut = false;
    bool copy = false;
    bool paste = false;
    bool clear = false;
    bool selectAll = false;

    bool operator==(const EditCommands&) const = default;
};

// The field edit commands act on: the focused one of the three, else the body (focus moves there).
ComposerField editTarget(std::optional<ComposerField> focused);

// All off while the composer's tab is not shown; otherwise cut, copy and clear need a selection,
// select-all a non-empty field, paste text on the clipboard and undo something to undo.
EditCommands updateEditCommands(bool composerTabActive, const FieldState& field, bool clipboardHasText);

// A merge macro goes into the subject when it has the focus, else into the body.
ComposerField macroTarget(std::optional<ComposerField> focused);

// Line ends: documents and mail hold CR LF, the editor widgets hold LF.
std::string toEditorText(std::string_view text);
std::string fromEditorText(std::string_view text);

} // namespace tidecast::messages
