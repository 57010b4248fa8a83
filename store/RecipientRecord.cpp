#include "store/RecipientRecord.h"

#include "common/MailAddress.h"
#include "common/Text.h"
#include "store/RecipientStore.h"

namespace tidecast::store
{

const std::array<RecipientFieldInfo, kRecipientTextFields>& recipientFields()
{
    static const std::array<RecipientFieldInfo, kRecipientTextFields> table = {{
        {RecipientField::Title, "Title", 10, "Salutation / Title"},
        {RecipientField::FirstName, "FirstName", 30, "First Name"},
        {RecipientField::LastName, "LastName", 30, "Last Name"},
        {RecipientField::EmailAddress, "EmailAddress", static_cast<int>(kMaxAddressLength), "Email Address"},
        {RecipientField::Initial, "Initial", 10, "Initial"},
        {RecipientField::Address1, "Address1", 30, "Address1"},
        {RecipientField::Address2, "Address2", 30, "Address2"},
        {RecipientField::City, "City", 30, "City"},
        {RecipientField::State, "State", 30, "State / County"},
        {RecipientField::Zip, "Zip", 15, "Zip / Post Code"},
        {RecipientField::Country, "Country", 30, "Country"},
        {RecipientField::Company, "Company", 50, "Company Name"},
        {RecipientField::JobTitle, "JobTitle", 50, "Job Title"},
        {RecipientField::Web, "WEB", 75, "WEB URL"},
        {RecipientField::Telephone, "Telephone", 25, "Telephone"},
        {RecipientField::Fax, "FAX", 25, "FAX"},
        {RecipientField::Field1, "Field1", 50, "Additional Field 1"},
        {RecipientField::Field2, "Field2", 50, "Additional Field 2"},
        {RecipientField::Field3, "Field3", 50, "Additional Field 3"},
        {RecipientField::Field4, "Field4", 50, "Additional Field 4"},
    }};
    return table;
}

const RecipientFieldInfo& recipientFieldInfo(RecipientField field)
{
    return recipientFields()[static_cast<std::size_t>(field)];
}

std::optional<RecipientField> recipientFieldByLabel(std::string_view label)
{
    for (const auto& info : recipientFields()) {
        if (equalsIgnoreCase(info.label, label)) {
            return info.field;
        }
    }
    return std::nullopt;
}

std::optional<RecipientField> recipientFieldByName(std::string_view name)
{
    for (const auto& info : recipientFields()) {
        if (equalsIgnoreCase(info.name, name)) {
            return info.field;
        }
    }
    return std::nullopt;
}

void defineRecipientLayout(RecipientStore& store)
{
    store.resetLayout();
    for (const auto& info : recipientFields()) {
        store.defineField(info.name, FieldType::Text, info.size);
    }
    store.defineField(kDateAddedField, FieldType::Date, 0);
}

namespace
{

// Where each recipient field is in a file: the twenty text fields, then the date (-1: missing).
using RecipientColumns = std::array<int, kRecipientTextFields + 1>;

// Worked out once per layout and thread, so walking a million records costs no name look-ups.
const RecipientColumns& recipientColumns(const RecipientStore& store)
{
    thread_local std::uint64_t cachedLayout = 0;
    thread_local RecipientColumns columns{};
    if (cachedLayout != store.layoutId() || store.layoutId() == 0) {
        for (std::size_t i = 0; i < kRecipientTextFields; ++i) {
            columns[i] = store.fieldIndex(recipientFields()[i].name);
        }
        columns[kRecipientTextFields] = store.fieldIndex(kDateAddedField);
        cachedLayout = store.layoutId();
    }
    return columns;
}

} // namespace

Result<void> checkRecipientLayout(const RecipientStore& store)
{
    if (recipientColumns(store)[static_cast<std::size_t>(RecipientField::EmailAddress)] < 0) {
        return Error{ErrorCode::NotADatabase,
                     store.path().string() + " is not a group of recipients: it has no EmailAddress column", 0};
    }
    return {};
}

RecipientRecord readRecipient(const RecipientStore& store)
{
    const auto& columns = recipientColumns(store);
    RecipientRecord record;
    for (std::size_t i = 0; i < kRecipientTextFields; ++i) {
        record.fields[i] = store.field(columns[i]);
    }
    record.dateAdded = store.field(columns[kRecipientTextFields]);
    return record;
}

void writeRecipient(RecipientStore& store, const RecipientRecord& record)
{
    const auto columns = recipientColumns(store);
    for (std::size_t i = 0; i < kRecipientTextFields; ++i) {
        store.setField(columns[i], record.fields[i]);
    }
    if (!record.dateAdded.empty()) {
        store.setField(columns[kRecipientTextFields], record.dateAdded);
    }
}

} // namespace tidecast::store
