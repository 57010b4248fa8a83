#include "cli/SettingsCommands.h"

#include "common/Text.h"
#include "settings/SettingsStore.h"

#include <memory>

namespace tidecast::cli
{

namespace
{

struct SettingsArguments
{
    std::string section;
    std::string key;
    std::string value;
};

} // namespace

void addSettingsCommands(CLI::App& app, CommandAction& action)
{
    auto arguments = std::make_shared<SettingsArguments>();
    auto* settingsCommand = app.add_subcommand("settings", "Read or write ej.dat");
    settingsCommand->require_subcommand(1);

    auto* get = settingsCommand->add_subcommand("get", "Print what the program reads for a key");
    get->add_option("SECTION", arguments->section)->required();
    get->add_option("KEY", arguments->key)->required();
    get->callback([arguments, &action] {
        action = [arguments](CliContext& context) {
            const auto fallback = settings::keyDefault(arguments->section, arguments->key, context.paths);
            context.out << settings::readValue(context.paths.settingsFile(), arguments->section, arguments->key,
                                               fallback)
                        << '\n';
            return int(kExitDone);
        };
    });

    auto* set = settingsCommand->add_subcommand("set", "Write a key unchanged, at once");
    set->add_option("SECTION", arguments->section)->required();
    set->add_option("KEY", arguments->key)->required();
    set->add_option("VALUE", arguments->value)->required();
    set->callback([arguments, &action] {
        action = [arguments](CliContext& context) {
            settings::writeValue(context.paths.settingsFile(), arguments->section, arguments->key, arguments->value);
            return int(kExitDone);
        };
    });

    auto* list = settingsCommand->add_subcommand("list", "Every key with what the program reads for it");
    list->callback([&action] {
        action = [](CliContext& context) {
            const auto ini = settings::IniFile::load(context.paths.settingsFile());
            for (const auto& row : settings::settingsTable()) {
                if (row.file != settings::SettingsFile::Main) {
                    continue;
                }
                const auto fallback = settings::keyDefault(row.section, row.key, context.paths);
                context.out << row.section << '\t' << row.key << '\t'
                            << settings::readValue(ini, row.section, row.key, fallback) << '\n';
            }
            // Keys the table does not name (plug-ins, say) are listed as stored.
            for (const auto& section : ini.sections()) {
                for (const auto& entry : section.entries) {
                    bool known = false;
                    for (const auto& row : settings::settingsTable()) {
                        known = known ||
                                (row.file == settings::SettingsFile::Main &&
                                 equalsIgnoreCase(row.section, section.name) && equalsIgnoreCase(row.key, entry.key));
                    }
                    if (!known) {
                        context.out << section.name << '\t' << entry.key << '\t'
                                    << settings::readValue(ini, section.name, entry.key, "") << '\n';
                    }
                }
            }
            return int(kExitDone);
        };
    });
}

} // namespace tidecast::cli
