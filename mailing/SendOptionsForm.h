#pragma once

#include "common/Prompter.h"
#include "filters/FilterEditor.h"
#include "mailing/SendOptions.h"
#include "outgoing/GroupIdentity.h"
#include "settings/Settings.h"
#include "settings/SettingsPaths.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast::mailing
{

// What the send command hands the dialog besides the SendOptions (which already name the group
// and its size).
struct SendOptionsOpening
{
    std::vector<std::string> groups;  // the group list, in order
    std::string messageText;          // the plain text being sent
    std::string htmlPath;             // the HTML message file, or empty
    outgoing::GroupIdentity identity; // the identity the send command loaded for the group
    std::chrono::year_month_day today{};
    std::string subject; // a merge macro here keeps the message personal too
};

// The dialog's boxes. The front end copies its widgets here before calling an operation of the
// form and shows these values again afterwards.
struct SendOptionsEntries
{
    std::string groupName;
    std::int32_t recipientCount = 0;
    bool bulk = false;
    std::string toText;
    bool dsn = false;
    outgoing::GroupIdentity identity;
    std::string server;
    bool sendCustomAttachments = false; // "Do you wish to send these custom attachments at this time?"
    std::array<bool, 4> attachFields{};
    bool afterOn = false;
    std::chrono::year_month_day afterDate{};
    bool beforeOn = false;
    std::chrono::year_month_day beforeDate{};
    filters::FilterList filters;
    bool partial = false;
    std::string partialStart;
    std::string partialEnd;
    std::string blockFile;
};

enum class SendOptionsTab
{
    General,
    ServerIdentification,
    CustomAttachments,
    Filters,
    PartialSending,
    AdvancedExclusion,
};

// Where a refused Send or Preview sends the person.
enum class SendOptionsFocus
{
    None,
    GroupSelector, // drop the group selector down
    ServerBox,
    AddressBox,
};

struct SendOptionsCheck
{
    bool accepted = false;
    SendOptionsTab tab = SendOptionsTab::General;
    SendOptionsFocus focus = SendOptionsFocus::None;
};

// The logic of the send options dialog, free of any toolkit: opening, the choice of mode, group
// changes, the partial-window rules, the block file, and the checks of Send and Preview that
// fill the SendOptions. Messages go through the prompter with their exact texts.
class SendOptionsForm
{
public:
    SendOptionsForm(SendOptions& options, settings::Settings& settings, settings::SettingsPaths paths,
                    Prompter& prompter);

    // Fills every box and resets the options the dialog always starts without.
    void open(SendOptionsOpening opening);

    SendOptionsEntries& entries() { return m_entries; }
    const SendOptionsEntries& entries() const { return m_entries; }
    const std::vector<std::string>& groups() const { return m_groups; }
    const SendOptions& options() const { return m_options; }

    std::string caption() const;   // "Prepare to Send to " + group
    std::string sizeLabel() const; // count + " recipients"

    // The subject, the message text or the HTML file holds "!*" with "*!" after it.
    bool messageHasMacros() const { return m_messageHasMacros; }

    // Bulk is refused for a message with macros, and needs a Yes when custom attachments are
    // ticked. Returns the mode in force afterwards.
    bool chooseBulk();
    void choosePersonal() { m_entries.bulk = false; }

    // A group chosen in the selector. False when it is refused: the previous group is back.
    bool changeGroup(std::string_view name);

    // Partial window. Only digits and Backspace may be typed; any other key shows the message
    // and is dropped (false).
    bool acceptPartialKey(char32_t key);
    void setPartial(bool on) { m_entries.partial = on; }
    void leaveStartBox();
    void leaveEndBox();

    // A file chosen for the block file box; a missing file is refused with the message.
    bool chooseBlockFile(const std::filesystem::path& file);

    // The server set-up dialog has closed: the server box shows the configured server again.
    void setupClosed(bool cancelled);

    // Send checks the group, its size, the server and the address in that order; Preview skips
    // the server. On success both write the SendOptions and save "Bulk" and "DSN".
    SendOptionsCheck send();
    SendOptionsCheck preview();

private:
    std::filesystem::path groupFile(std::string_view name) const;
    void showGroup(std::string_view name, std::int32_t count);
    SendOptionsCheck check(bool checkServer);
    void writeOptions();

    SendOptions& m_options;
    settings::Settings& m_settings;
    settings::SettingsPaths m_paths;
    Prompter& m_prompter;
    SendOptionsEntries m_entries;
    std::vector<std::string> m_groups;
    bool m_messageHasMacros = false;
};

// "!*" with "*!" somewhere after it: the message holds personalised parts.
bool holdsMacroMarkers(std::string_view text);

// A box of digits as a number, 0 when empty; too many digits give the largest number.
std::int32_t partialNumber(std::string_view digits);

} // namespace tidecast::mailing
