#include "messages/ComposerRules.h"

namespace tidecast::messages
{

ComposerField editTarget(std::optional<ComposerField> focused)
{
    return focused.value_or(ComposerField::Body);
}

EditCommands updateEditCommands(bool composerTabActive, const FieldState& field, bool clipboardHasText)
{
    if (!composerTabActive) {
        return {};
    }
    EditCommands commands;
    commands.cut = field.hasSelection;
    commands.copy = field.hasSelection;
    commands.clear = field.hasSelection;
    commands.selectAll = !field.isEmpty;
    commands.paste = clipboardHasText;
    commands.undo = field.canUndo;
    return commands;
}

ComposerField macroTarget(std::optional<ComposerField> focused)
{
    return focused == ComposerField::Subject ? ComposerField::Subject : ComposerField::Body;
}

std::string toEditorText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string fromEditorText(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (char c : text) {
        if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace tidecast::messages
