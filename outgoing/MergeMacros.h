#pragma once

#include "store/RecipientRecord.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tidecast::outgoing
{

// How a macro's value is made from a recipient.
enum class MacroValue
{
    Field,        // the field as stored
    UserName,     // the address up to its first at sign (the whole address when it has none)
    CompleteName, // Title, FirstName and LastName joined by blanks, trimmed of outer blanks
};

// One merge macro: the composer command that inserts it, the text inserted, and where the
// recipient's value comes from.
struct MergeMacro
{
    std::string_view commandId; // "ID_EmailAddress"
    std::string_view macro;     // "!*EMAIL*!"
    MacroValue value;
    store::RecipientField field; // used when value is MacroValue::Field
};

inline constexpr std::size_t kMergeMacroCount = 22;

// The merge macros in substitution order. The composer inserts them by command, the send engine
// and the preview replace them from the current recipient in exactly this order.
inline constexpr std::array<MergeMacro, kMergeMacroCount> kMergeMacros{{
    {"ID_EmailAddress", "!*EMAIL*!", MacroValue::Field, store::RecipientField::EmailAddress},
    {"ID_Username", "!*USERNAME*!", MacroValue::UserName, store::RecipientField::EmailAddress},
    {"ID_Salutation/Title", "!*SALUTATION*!", MacroValue::Field, store::RecipientField::Title},
    {"ID_CompleteName", "!*COMPLETE_NAME*!", MacroValue::CompleteName, store::RecipientField::FirstName},
    {"ID_FirstName", "!*FIRST_NAME*!", MacroValue::Field, store::RecipientField::FirstName},
    {"ID_Initial", "!*INITIAL*!", MacroValue::Field, store::RecipientField::Initial},
    {"ID_LastName", "!*LAST_NAME*!", MacroValue::Field, store::RecipientField::LastName},
    {"ID_AddressLine1", "!*ADDRESS_LINE1*!", MacroValue::Field, store::RecipientField::Address1},
    {"ID_Addressline2", "!*ADDRESS_LINE2*!", MacroValue::Field, store::RecipientField::Address2},
    {"ID_City", "!*CITY*!", MacroValue::Field, store::RecipientField::City},
    {"ID_State/County", "!*STATE*!", MacroValue::Field, store::RecipientField::State},
    {"ID_Zip/PostCode", "!*ZIPCODE*!", MacroValue::Field, store::RecipientField::Zip},
    {"ID_Country", "!*COUNTRY*!", MacroValue::Field, store::RecipientField::Country},
    {"ID_CompanyName", "!*COMPANY_NAME*!", MacroValue::Field, store::RecipientField::Company},
    {"ID_JobTitle", "!*JOB_TITLE*!", MacroValue::Field, store::RecipientField::JobTitle},
    {"ID_WEBURL", "!*WEBURL*!", MacroValue::Field, store::RecipientField::Web},
    {"ID_Telephone", "!*TELEPHONE*!", MacroValue::Field, store::RecipientField::Telephone},
    {"ID_FAX", "!*FAX*!", MacroValue::Field, store::RecipientField::Fax},
    {"ID_Field1", "!*ADDITIONAL_FIELD1*!", MacroValue::Field, store::RecipientField::Field1},
    {"ID_Field2", "!*ADDITIONAL_FIELD2*!", MacroValue::Field, store::RecipientField::Field2},
    {"ID_Field3", "!*ADDITIONAL_FIELD3*!", MacroValue::Field, store::RecipientField::Field3},
    {"ID_Field4", "!*ADDITIONAL_FIELD4*!", MacroValue::Field, store::RecipientField::Field4},
}};

// The macro a composer command inserts, or nullptr for any other command.
const MergeMacro* mergeMacroForCommand(std::string_view commandId);

// The text that replaces a macro for this recipient.
std::string macroValue(const MergeMacro& macro, const store::RecipientRecord& recipient);

// True when the text holds any of the merge macros.
bool hasMergeMacros(std::string_view text);

// How a merged value is written into the text.
enum class MergeEscape
{
    None,
    Html, // "&", "<", ">" and '"' as entities, so a value cannot break or inject into the HTML
    Url,  // percent-encoded, so a value stays one URL component
};

// Replaces the macros in place, in table order. Each occurrence is replaced from left to right;
// a value is not searched again for the macro it replaced, but later macros do see it.
void replaceMergeMacros(std::string& text, const store::RecipientRecord& recipient,
                        MergeEscape escape = MergeEscape::None);

// The text with "&", "<", ">" and '"' written as HTML entities.
std::string escapeHtml(std::string_view text);

// The text with every byte except RFC 3986's unreserved characters written as %XX.
std::string percentEncode(std::string_view text);

} // namespace tidecast::outgoing
