#pragma once

#include "common/Result.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tidecast::store
{

class RecipientStore;

// The twenty text fields of a recipient, in the order of the file layout.
enum class RecipientField
{
    Title,
    FirstName,
    LastName,
    EmailAddress,
    Initial,
    Address1,
    Address2,
    City,
    State,
    Zip,
    Country,
    Company,
    JobTitle,
    Web,
    Telephone,
    Fax,
    Field1,
    Field2,
    Field3,
    Field4,
};

inline constexpr std::size_t kRecipientTextFields = 20;

struct RecipientFieldInfo
{
    RecipientField field;
    std::string_view name;  // column name in the file
    int size;               // maximum length in characters
    std::string_view label; // label in lists and choosers
};

// The layout table, in file order.
const std::array<RecipientFieldInfo, kRecipientTextFields>& recipientFields();
const RecipientFieldInfo& recipientFieldInfo(RecipientField field);

inline constexpr std::string_view kDateAddedField = "DateAdded";
inline constexpr std::string_view kDateAddedLabel = "Date Added";

// Finds a field by its label ("Email Address") or column name ("EMailAddress"), ignoring case.
std::optional<RecipientField> recipientFieldByLabel(std::string_view label);
std::optional<RecipientField> recipientFieldByName(std::string_view name);

// One recipient: an address and nineteen personal fields, plus the date it was added.
struct RecipientRecord
{
    std::array<std::string, kRecipientTextFields> fields;
    std::string dateAdded; // YYYY-MM-DD

    const std::string& get(RecipientField field) const { return fields[static_cast<std::size_t>(field)]; }
    void set(RecipientField field, std::string value) { fields[static_cast<std::size_t>(field)] = std::move(value); }
    const std::string& emailAddress() const { return get(RecipientField::EmailAddress); }

    bool operator==(const RecipientRecord&) const = default;
};

// Defines the recipient layout on a store's layout calls, ready for createFile().
void defineRecipientLayout(RecipientStore& store);

// Fails, naming the file, when an open file is no recipient group (it has no address column).
[[nodiscard]] Result<void> checkRecipientLayout(const RecipientStore& store);

// Reads the current record of an open recipient file, each field from the column of its name
// (empty where the file has no such column), whatever the order of the columns in the file.
RecipientRecord readRecipient(const RecipientStore& store);

// Sets the current record's text fields (cut to their sizes) and, unless empty, the date, each
// in the column of its name.
void writeRecipient(RecipientStore& store, const RecipientRecord& record);

} // namespace tidecast::store
