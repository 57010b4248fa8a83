#include "mailing/SendStatistics.h"

#include "settings/IniFile.h"
#include "settings/SettingsStore.h"

#include <charconv>
#include <ctime>
#include <string>

namespace tidecast::mailing
{

namespace
{

std::int64_t readCounter(const settings::IniFile& ini, std::string_view key)
{
    const auto text = settings::readValue(ini, kTechSection, key, "0");
    std::int64_t value = 0;
    const auto* begin = text.data();
    const auto* end = text.data() + text.size();
    while (begin != end && *begin == ' ') {
        ++begin;
    }
    if (std::from_chars(begin, end, value).ec != std::errc{}) {
        return 0;
    }
    return value;
}

std::string dateText(std::chrono::system_clock::time_point when)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&seconds, &local);
    char buffer[16];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d", &local);
    return buffer;
}

} // namespace

SendStatistics readStatistics(const std::filesystem::path& settingsFile)
{
    const auto ini = settings::IniFile::load(settingsFile);
    SendStatistics counters;
    counters.recipientsSent = readCounter(ini, "scount");
    counters.bulkRecipientsSent = readCounter(ini, "bcount");
    counters.personalRecipientsSent = readCounter(ini, "pcount");
    counters.recipientErrors = readCounter(ini, "ecount");
    counters.sessions = readCounter(ini, "mcount");
    counters.secondsSending = readCounter(ini, "tcount");
    return counters;
}

void writeStatistics(const std::filesystem::path& settingsFile, const SendStatistics& before,
                     const SessionTotals& session, std::chrono::system_clock::time_point today)
{
    auto ini = settings::IniFile::load(settingsFile);
    const auto set = [&ini](std::string_view key, std::int64_t value) {
        ini.setValue(kTechSection, key, std::to_string(value));
    };
    set("scount", before.recipientsSent + session.sent);
    set("lscount", session.sent);
    set("ecount", before.recipientErrors + session.errors);
    set("lecount", session.errors);
    if (session.bulk) {
        set("bcount", before.bulkRecipientsSent + session.sent);
    } else {
        set("pcount", before.personalRecipientsSent + session.sent);
    }
    ini.setValue(kTechSection, "lBULK", settings::flagText(session.bulk));
    set("mcount", before.sessions + 1);
    set("tcount", before.secondsSending + session.seconds);
    set("ltcount", session.seconds);
    ini.setValue(kTechSection, "Date", dateText(today));
    ini.save(settingsFile);
}

void writeLastAction(const std::filesystem::path& settingsFile, std::string_view action)
{
    settings::writeValue(settingsFile, kTechSection, "Action", action);
}

void writeLastError(const std::filesystem::path& settingsFile, std::string_view error)
{
    settings::writeValue(settingsFile, kTechSection, "LError", error);
}

} // namespace tidecast::mailing
