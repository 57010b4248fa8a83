#include "ui/CommandTable.h"

namespace tidecast::ui
{

namespace
{

MenuEntry item(const char* caption, const char* id, const char* description)
{
    return {QString::fromUtf8(caption), QString::fromUtf8(id), QString::fromUtf8(description), {}};
}

MenuEntry submenu(const char* caption, const char* id, QVector<MenuEntry> children, const char* description = "")
{
    return {QString::fromUtf8(caption), QString::fromUtf8(id), QString::fromUtf8(description), std::move(children)};
}

MenuEntry separator()
{
    return {};
}

} // namespace

const QVector<MenuEntry>& menuTable()
{
    static const QVector<MenuEntry> table = {
        submenu("&File", "ID_File",
                {
                    item("&New", "ID_New", "Create a New Message"),
                    item("&Open", "ID_Open", "Open an Existing Message"),
                    item("&Save", "ID_Save", "Save the Current Message"),
                    separator(),
                    item("&Print", "ID_Print", "Print the Current Message"),
                    item("Print Setup", "ID_PrintSetup", "Choose and set up the printer"),
                    separator(),
                    item("Prepare to Sen&d", "ID_Send", "Prepare to Send the Current Message"),
                    separator(),
                    item("E&xit", "ID_Exit", "Exit Tidecast"),
                }),
        submenu("&Edit", "ID_Edit",
                {
                    item("&Undo", "ID_Undo", "Undo the last change"),
                    separator(),
                    item("C&ut", "ID_Cut", "Cut the selection to the clipboard"),
                    item("C&opy", "ID_Copy", "Copy the selection to the clipboard"),
                    item("&Paste", "ID_Paste", "Paste from the clipboard"),
                    item("Clear", "ID_Clear", "Clear the selection"),
                    separator(),
                    item("Select &All", "ID_SelectAll", "Select all of the message text"),
                }),
        submenu("&View", "ID_View",
                {
                    item("&Groups Only", "ID_GroupsOnlyView", "Show the groups alone, or beside their recipients"),
                }),
        submenu("&Merge", "ID_Insert",
                {
                    item("Email Address", "ID_EmailAddress", "Insert the recipient's email address"),
                    item("User name (first part of email address)", "ID_Username",
                         "Insert the first part of the recipient's email address"),
                    separator(),
                    submenu("Name Information", "ID_NameInformation",
                            {
                                item("Salutation / Title", "ID_Salutation/Title", "Insert the recipient's title"),
                                item("First Name", "ID_FirstName", "Insert the recipient's first name"),
                                item("Initial", "ID_Initial", "Insert the recipient's initial"),
                                item("Last Name", "ID_LastName", "Insert the recipient's last name"),
                                separator(),
                                item("Complete Name", "ID_CompleteName", "Insert the recipient's complete name"),
                            }),
                    submenu("Address Information", "ID_AddressInformation",
                            {
                                item("Address Line 1", "ID_AddressLine1", "Insert the first address line"),
                                item("Address line 2", "ID_Addressline2", "Insert the second address line"),
                                item("City", "ID_City", "Insert the city"),
                                item("State / County", "ID_State/County", "Insert the state or county"),
                                item("Zip / Post Code", "ID_Zip/PostCode", "Insert the zip or post code"),
                                item("Country", "ID_Country", "Insert the country"),
                            }),
                    submenu("Company Information", "ID_CompanyInformation",
                            {
                                item("Job Title", "ID_JobTitle", "Insert the job title"),
                                item("Company Name", "ID_CompanyName", "Insert the company name"),
                            }),
                    submenu("Contact Information", "ID_ContactInformation",
                            {
                                item("WEB URL", "ID_WEBURL", "Insert the web address"),
                                item("Telephone", "ID_Telephone", "Insert the telephone number"),
                                item("FAX", "ID_FAX", "Insert the fax number"),
                            }),
                    separator(),
                    submenu("Additional Information", "ID_AdditionalInformation",
                            {
                                item("Field 1", "ID_Field1", "Insert additional field 1"),
                                item("Field 2", "ID_Field2", "Insert additional field 2"),
                                item("Field 3", "ID_Field3", "Insert additional field 3"),
                                item("Field 4", "ID_Field4", "Insert additional field 4"),
                            }),
                }),
        submenu("&Insert", "ID_Insert2",
                {
                    item("Text from a File ...", "ID_TextfromaFile...", "Insert the text of a file into the message"),
                    separator(),
                    item("File Attachments", "ID_FileAttachments", "Attach files to the message"),
                    item("HTML Message File", "ID_AttachaHTMLMessageFile", "Attach an HTML message file"),
                }),
        submenu("&Tools", "ID_Tools",
                {
                    item("Spell Check", "ID_SpellCheck", "Check the current message for spelling mistakes"),
                    separator(),
                    item("Search ...", "ID_Search", "Search the groups for recipients"),
                    separator(),
                    item("Import Recipients", "ID_Import", "Import recipients into a group"),
                    item("Export Recipients", "ID_ExportRecipients", "Export recipients to a file"),
                    separator(),
                    item("Exclusion List", "ID_ExclusionList", "View and edit the exclusion list"),
                    separator(),
                    submenu("Group Maintenance", "ID_GroupMaintenance",
                            {
                                item("Sort", "ID_Sort", "Sort a Group by field"),
                                item("Repair", "ID_RepairGroups", "Check all Groups and Repair if Required"),
                            }),
                    submenu("Plug-ins", "ID_PlugMenu",
                            {
                                item("About Plug-ins", "ID_Plug-ins", "About the plug-in tools"),
                            }),
                }),
        submenu(
            "Set&up", "ID_Setup",
            {
                item("Email Server Setup", "ID_EmailSettings", "Set up the outgoing and incoming mail servers"),
                item("Message Setup", "ID_MessageSetup", "Set up the character set, encoding and wrapping"),
                item("Identification Settings", "ID_IdentificationSettings", "Set up your name, address and signature"),
                separator(),
                item("Spell Checker Options", "ID_SpellCheckerSetup", "Set up the spelling checker"),
                item("Editor Font Options", "ID_EditorFontSettings", "Choose the message editor's font"),
                separator(),
                item("Advanced - Double Byte Language Support", "ID_DBS",
                     "Safe moving and deleting of recipients for double byte languages"),
            }),
        submenu("&Help", "ID_Help",
                {
                    item("&Corvane Tidecast Help Topics", "ID_Contents", "Open the help topics"),
                    item("&Technical Support", "ID_TechnicalSupport", "Prepare a technical support request"),
                    separator(),
                    submenu("Corvane on the &Web", "ID_EmberjaySoftwareontheWeb",
                            {
                                item("Frequently Asked &Questions", "ID_FrequentlyAskedQuestions",
                                     "Read the frequently asked questions"),
                                item("Online Technical Support", "ID_OnlineSupport", "Get technical support online"),
                                separator(),
                                item("Tidecast Homepage", "ID_ProductNews", "Visit the Tidecast homepage"),
                                separator(),
                                item("Other Corvane Products", "ID_FreeStuff", "See other products of the maker"),
                                item("Corvane Homepage", "ID_EmberjaySoftwareHomepage", "Visit the maker's homepage"),
                            }),
                    separator(),
                    item("&About Corvane Tidecast", "ID_AboutEmberjayTidecast", "About Corvane Tidecast"),
                }),
    };
    return table;
}

const QVector<ToolbarEntry>& toolbarTable()
{
    static const QVector<ToolbarEntry> table = {
        {QStringLiteral("Edit Tools"),
         {QStringLiteral("ID_New"), QStringLiteral("ID_Open"), QStringLiteral("ID_Save"), QString(),
          QStringLiteral("ID_Undo"), QStringLiteral("ID_Cut"), QStringLiteral("ID_Copy"), QStringLiteral("ID_Paste"),
          QStringLiteral("ID_Clear"), QString(), QStringLiteral("ID_SpellCheck")}},
        {QStringLiteral("Message Tools"),
         {QStringLiteral("ID_FileAttachments"), QStringLiteral("ID_AttachaHTMLMessageFile"), QString(),
          QStringLiteral("ID_Send")}},
        {QStringLiteral("Advanced Tools"),
         {QStringLiteral("ID_Import"), QStringLiteral("ID_ExportRecipients"), QStringLiteral("ID_ExclusionList")}},
    };
    return table;
}

} // namespace tidecast::ui
