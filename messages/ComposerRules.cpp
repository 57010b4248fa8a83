#include "messages/ComposerRules.h"

namespace tidecast::messages
{

ComposerField editTarget(std::optional<ComposerField> focused)
{
    return focused.value_or(ComposerField::Body);
}

EditCommands checkedit(bool composerTabActive, const FieldState& field, bool clipboardHasText)
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

const std::vector<MacroCommand>& macroCommands()
{
    static const std::vector<MacroCommand> commands = {
        {"ID_EmailAddress", "!*EMAIL*!"},
        {"ID_Username", "!*USERNAME*!"},
        {"ID_Salutation/Title", "!*SALUTATION*!"},
        {"ID_FirstName", "!*FIRST_NAME*!"},
        {"ID_Initial", "!*INITIAL*!"},
        {"ID_LastName", "!*LAST_NAME*!"},
        {"ID_CompleteName", "!*COMPLETE_NAME*!"},
        {"ID_AddressLine1", "!*ADDRESS_LINE1*!"},
        {"ID_Addressline2", "!*ADDRESS_LINE2*!"},
        {"ID_City", "!*CITY*!"},
        {"ID_State/County", "!*STATE*!"},
        {"ID_Zip/PostCode", "!*ZIPCODE*!"},
        {"ID_Country", "!*COUNTRY*!"},
        {"ID_JobTitle", "!*JOB_TITLE*!"},
        {"ID_CompanyName", "!*COMPANY_NAME*!"},
        {"ID_WEBURL", "!*WEBURL*!"},
        {"ID_Telephone", "!*TELEPHONE*!"},
        {"ID_FAX", "!*FAX*!"},
        {"ID_Field1", "!*ADDITIONAL_FIELD1*!"},
        {"ID_Field2", "!*ADDITIONAL_FIELD2*!"},
        {"ID_Field3", "!*ADDITIONAL_FIELD3*!"},
        {"ID_Field4", "!*ADDITIONAL_FIELD4*!"},
    };
    return commands;
}

std::optional<std::string_view> macroForCommand(std::string_view commandId)
{
    for (const auto& command : macroCommands()) {
        if (command.commandId == commandId) {
            return command.macro;
        }
    }
    return std::nullopt;
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
