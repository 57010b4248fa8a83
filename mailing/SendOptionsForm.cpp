#include "mailing/SendOptionsForm.h"

#include "common/Text.h"
#include "mailing/SendOptionsTexts.h"
#include "settings/SettingsStore.h"
#include "store/RecipientStore.h"

#include <algorithm>
#include <limits>

namespace tidecast::mailing
{

namespace
{

constexpr std::string_view kSendOptionsSection = "Send Options";
constexpr std::string_view kBulkKey = "Bulk";
constexpr std::string_view kDsnKey = "DSN";
constexpr char32_t kBackspace = 8;

std::string flagValue(bool on)
{
    return on ? "-1" : "0";
}

std::int32_t countRecords(const std::filesystem::path& file)
{
    store::RecipientStore database;
    if (!database.open(file)) {
        return 0;
    }
    auto count = database.recordCount();
    (void)database.close();
    return static_cast<std::int32_t>(std::min<std::int64_t>(count, std::numeric_limits<std::int32_t>::max()));
}

} // namespace

bool holdsMacroMarkers(std::string_view text)
{
    auto open = text.find("!*");
    return open != std::string_view::npos && text.find("*!", open + 2) != std::string_view::npos;
}

std::int32_t partialNumber(std::string_view digits)
{
    std::int64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            break;
        }
        value = std::min<std::int64_t>(value * 10 + (c - '0'), std::numeric_limits<std::int32_t>::max());
    }
    return static_cast<std::int32_t>(value);
}

SendOptionsForm::SendOptionsForm(SendOptions& options, settings::Settings& settings, settings::SettingsPaths paths,
                                 Prompter& prompter)
    : m_options(options)
    , m_settings(settings)
    , m_paths(std::move(paths))
    , m_prompter(prompter)
{}

void SendOptionsForm::open(SendOptionsOpening opening)
{
    m_options.afterDateOn = false;
    m_options.beforeDateOn = false;
    m_options.blockFileOn = false;
    m_options.blockFilePath.clear();
    m_options.sendFilters = {std::string()};

    m_entries = {};
    m_entries.afterDate = opening.today;
    m_entries.beforeDate = opening.today;
    m_entries.identity = std::move(opening.identity);
    m_entries.server = m_settings.smtpServer;
    showGroup(m_options.groupName, m_options.recipientCount);
    m_entries.partial = false;

    m_entries.sendCustomAttachments = m_options.customAttachments;
    m_entries.attachFields = {m_options.attachField1, m_options.attachField2, m_options.attachField3,
                              m_options.attachField4};

    // A macro in the subject would otherwise go out literally to everybody in bulk mode.
    m_messageHasMacros = holdsMacroMarkers(opening.subject) || holdsMacroMarkers(opening.messageText) ||
                         (!opening.htmlPath.empty() && holdsMacroMarkers(readWholeFile(opening.htmlPath)));
    const auto file = m_paths.settingsFile();
    if (m_messageHasMacros || m_options.customAttachments) {
        m_entries.bulk = false;
    } else {
        m_entries.bulk = settings::parseFlag(settings::readValue(file, kSendOptionsSection, kBulkKey, "-1"));
    }
    m_entries.dsn = settings::parseFlag(settings::readValue(file, kSendOptionsSection, kDsnKey, "0"));
    m_groups = std::move(opening.groups);
}

std::string SendOptionsForm::caption() const
{
    return std::string(text::kCaptionPrefix) + m_entries.groupName;
}

std::string SendOptionsForm::sizeLabel() const
{
    return std::to_string(m_entries.recipientCount) + std::string(text::kRecipientsSuffix);
}

bool SendOptionsForm::chooseBulk()
{
    if (m_messageHasMacros) {
        m_prompter.message(text::kBulkRefused, Icon::Exclamation);
        m_entries.bulk = false;
        return false;
    }
    // The box as it is now, not the choice recorded by an earlier Preview: that is what the
    // person sees when the question is asked.
    if (m_entries.sendCustomAttachments &&
        m_prompter.ask(text::kBulkWithCustomAttachments, Buttons::YesNo, Icon::Question, Answer::No) != Answer::Yes) {
        m_entries.bulk = false;
        return false;
    }
    m_entries.bulk = true;
    return true;
}

std::filesystem::path SendOptionsForm::groupFile(std::string_view name) const
{
    return m_paths.dataDir / (std::string(name) + ".gdb");
}

void SendOptionsForm::showGroup(std::string_view name, std::int32_t count)
{
    m_entries.groupName = name;
    m_entries.recipientCount = count;
    m_entries.toText = name;
    m_entries.partialStart = count > 0 ? "1" : "0";
    m_entries.partialEnd = std::to_string(count);
}

bool SendOptionsForm::changeGroup(std::string_view name)
{
    if (name == m_entries.groupName) {
        return true;
    }
    auto file = groupFile(name);
    if (!store::RecipientStore::isDatabase(file)) {
        m_prompter.message(text::groupNoLongerExists(name), Icon::Critical);
        return false;
    }
    std::int32_t count = countRecords(file);
    m_options.groupName = name;
    m_options.recipientCount = count;
    showGroup(name, count);

    if (m_entries.partial) {
        m_prompter.message(text::kPartialReset, Icon::Critical);
        m_entries.partial = false;
    }

    outgoing::GroupIdentity loaded = outgoing::loadGroupIdentity(m_paths.dataDir, name, m_settings, m_prompter);
    if (loaded != m_entries.identity) {
        m_entries.identity = std::move(loaded);
        m_prompter.message(text::kDifferentIdentification, Icon::Information);
    }
    return true;
}

bool SendOptionsForm::acceptPartialKey(char32_t key)
{
    if ((key >= U'0' && key <= U'9') || key == kBackspace) {
        return true;
    }
    m_prompter.message(text::kNumbersOnly, Icon::Exclamation);
    return false;
}

void SendOptionsForm::leaveStartBox()
{
    std::int32_t start = std::max(partialNumber(m_entries.partialStart), 1);
    std::int32_t end = partialNumber(m_entries.partialEnd);
    m_entries.partialStart = std::to_string(start > end ? end : start);
}

void SendOptionsForm::leaveEndBox()
{
    std::int32_t end = std::min(partialNumber(m_entries.partialEnd), m_entries.recipientCount);
    std::int32_t start = partialNumber(m_entries.partialStart);
    m_entries.partialEnd = std::to_string(end < start ? start : end);
}

bool SendOptionsForm::chooseBlockFile(const std::filesystem::path& file)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        m_prompter.message(text::kSelectValidFile, Icon::Exclamation);
        return false;
    }
    m_entries.blockFile = file.string();
    return true;
}

void SendOptionsForm::setupClosed(bool cancelled)
{
    m_entries.server = m_settings.smtpServer;
    if (cancelled) {
        m_options.smtpServer = m_settings.smtpServer;
    }
}

SendOptionsCheck SendOptionsForm::check(bool checkServer)
{
    if (!store::RecipientStore::isDatabase(groupFile(m_entries.groupName))) {
        m_prompter.message(text::groupNoLongerExists(m_entries.groupName), Icon::Critical);
        return {false, SendOptionsTab::General, SendOptionsFocus::GroupSelector};
    }
    if (m_entries.recipientCount <= 0) {
        m_prompter.message(text::kEmptyGroup, Icon::Critical);
        return {false, SendOptionsTab::General, SendOptionsFocus::GroupSelector};
    }
    if (checkServer && trimWhitespace(m_entries.server).empty()) {
        m_prompter.message(text::kEnterServer, Icon::Critical);
        return {false, SendOptionsTab::ServerIdentification, SendOptionsFocus::ServerBox};
    }
    if (trimWhitespace(m_entries.identity.address).empty()) {
        m_prompter.message(text::kEnterFromAddress, Icon::Critical);
        return {false, SendOptionsTab::ServerIdentification, SendOptionsFocus::AddressBox};
    }
    writeOptions();
    const auto file = m_paths.settingsFile();
    settings::writeValue(file, kSendOptionsSection, kBulkKey, flagValue(m_entries.bulk));
    settings::writeValue(file, kSendOptionsSection, kDsnKey, flagValue(m_entries.dsn));
    return {true, SendOptionsTab::General, SendOptionsFocus::None};
}

void SendOptionsForm::writeOptions()
{
    const auto& e = m_entries;
    m_options.smtpServer = std::string(trimWhitespace(e.server));
    m_options.groupName = e.groupName;
    m_options.recipientCount = e.recipientCount;
    m_options.senderName = e.identity.name;
    m_options.senderAddress = std::string(trimWhitespace(e.identity.address));
    m_options.replyTo = e.identity.replyTo;
    m_options.organisation = e.identity.organisation;
    m_options.signature = e.identity.signature;
    m_options.bulkMode = e.bulk;
    auto toText = trimWhitespace(e.toText);
    m_options.bulkToText = toText.empty() ? e.groupName : std::string(toText);
    m_options.dsn = e.dsn;
    m_options.optionsConfirmed = true;
    m_options.bulkGroupSize = static_cast<std::int16_t>(
        std::clamp<int>(m_settings.bulkGroupSize, 1, std::numeric_limits<std::int16_t>::max()));

    std::error_code ec;
    m_options.blockFileOn = !e.blockFile.empty() && std::filesystem::is_regular_file(e.blockFile, ec);
    m_options.blockFilePath = m_options.blockFileOn ? e.blockFile : std::string();

    m_options.partialSend = e.partial;
    m_options.partialStart = partialNumber(e.partialStart);
    m_options.partialEnd = partialNumber(e.partialEnd);

    m_options.afterDateOn = e.afterOn;
    m_options.afterDate = e.afterDate;
    m_options.beforeDateOn = e.beforeOn;
    m_options.beforeDate = e.beforeDate;

    m_options.sendFilters = e.filters.empty() ? std::vector<std::string>{std::string()} : e.filters;

    m_options.attachField1 = e.attachFields[0];
    m_options.attachField2 = e.attachFields[1];
    m_options.attachField3 = e.attachFields[2];
    m_options.attachField4 = e.attachFields[3];
    bool anyField = std::any_of(e.attachFields.begin(), e.attachFields.end(), [](bool on) { return on; });
    m_options.customAttachments = e.sendCustomAttachments && anyField;
}

SendOptionsCheck SendOptionsForm::send()
{
    return check(true);
}

SendOptionsCheck SendOptionsForm::preview()
{
    return check(false);
}

} // namespace tidecast::mailing
