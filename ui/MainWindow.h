#pragma once

#include "common/Prompter.h"
#include "common/StatusSink.h"
#include "settings/Settings.h"
#include "settings/SettingsPaths.h"

#include <QHash>
#include <QMainWindow>

#include <functional>

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace tidecast::ui
{

class ComposerWidget;
class GroupSetupWidget;
class MessageHistoryWidget;

// The spine of the program: start-up, the three tabs, the menus and toolbars with their command
// dispatch, the status bar with its command panel, and the orderly shutdown that saves the
// settings. Features plug in by registering a handler for their command identifiers; a menu entry
// whose command has no handler stays disabled.
class MainWindow : public QMainWindow, public StatusSink
{
    Q_OBJECT

public:
    enum Tab
    {
        EditMessageTab = 0,
        GroupSetupTab = 1,
        MessageHistoryTab = 2,
    };

    // What features built on top of the shell do at fixed points of start-up and of the tabs.
    struct Hooks
    {
        std::function<void()> loadMessages;                    // fill the message list
        std::function<void()> loadGroups;                      // fill the group lists and the selector
        std::function<void()> checkEdit;                       // recompute the edit commands
        std::function<void()> refreshRecipientButtons;         // after a tab or view switch
        std::function<void()> closeOpenDatabase;               // before commands that open group files
        std::function<void()> showWelcome;                     // the first-run welcome, modal
        std::function<void()> send;                            // the Send command
        std::function<void()> sort;                            // the sort dialog
        std::function<bool(const QString& path)> openMessage;  // read a message document
        std::function<bool(const QString& path)> saveMessage;  // save before exit; false when cancelled
        std::function<void(const QString& path)> openTextFile; // read a plain-text file into the body
        std::function<void()> loadPlugins;                     // add the plug-in tools to their menu
        std::function<void()> removePlugins;                   // take them out before the layout is saved
    };

    MainWindow(settings::SettingsPaths paths, Prompter& prompter, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up after the single-instance check: settings, lists, splash, first run, command line.
    void start(const QString& commandLine);

    // Runs the command of an identifier; identifiers without a command do nothing.
    void dispatch(const QString& id);
    void registerCommand(const QString& id, std::function<void()> handler, bool actsOnComposer = false);
    // The title names the message document being edited (empty: none) and marks unsaved changes.
    void setDocumentName(const QString& name);
    bool hasCommand(const QString& id) const { return m_commands.contains(id); }
    QAction* commandAction(const QString& id) const;
    QMenu* menuById(const QString& id) const;

    Hooks& hooks() { return m_hooks; }
    settings::Settings& settings() { return m_settings; }
    const settings::SettingsPaths& paths() const { return m_paths; }
    Prompter& prompter() { return m_prompter; }

    ComposerWidget* composer() const { return m_composer; }
    GroupSetupWidget* groupSetup() const { return m_groupSetup; }
    MessageHistoryWidget* history() const { return m_history; }
    QTabWidget* tabs() const { return m_tabs; }
    QProgressBar* progressBar() const { return m_progress; }
    QPushButton* commandPanel() const { return m_commandPanel; }
    QString statusText() const;

    void showStatus(std::string_view text) override;

    // Clears the message and reads the named document: "...tcx" as a message document, any
    // other name as plain text into the body.
    void openCommandLineDocument(const QString& commandLine);
    // Writes the settings and the toolbar layout, unless this is a duplicate instance.
    void saveOnShutdown();

    void setDuplicateInstance(bool duplicate) { m_duplicate = duplicate; }
    bool isDuplicateInstance() const { return m_duplicate; }

    void updateEditCommands();
    void switchToGroupsRecipientsView();
    void switchToGroupsOnlyView();

    // Number of rows in the group list; 0 until the groups are loaded.
    int groupCount() const;

signals:
    // The window accepted a close and wrote its settings.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct Command
    {
        std::function<void()> handler;
        bool actsOnComposer = false;
    };

    void buildMenus();
    void buildToolbars();
    void buildStatusBar();
    void registerBuiltInCommands();
    void onTabChanged(int index);
    void onCommandPanelClicked();
    void updateCommandPanel();
    void applyEditorFont();
    void readEditorFont();
    void applyScreenSettings();
    void storeWindowGeometry();
    void openWebPage(const QString& id);
    void showTechnicalSupport();
    void waitForSplash(qint64 startedMs);
    QString toolbarLayoutFile() const;

    settings::SettingsPaths m_paths;
    Prompter& m_prompter;
    settings::Settings m_settings;
    Hooks m_hooks;
    bool m_duplicate = false;

    QTabWidget* m_tabs;
    ComposerWidget* m_composer;
    GroupSetupWidget* m_groupSetup;
    MessageHistoryWidget* m_history;
    QLabel* m_status;
    QPushButton* m_commandPanel;
    QProgressBar* m_progress;

    QHash<QString, QAction*> m_actions;
    QHash<QString, QMenu*> m_menus;
    QHash<QString, Command> m_commands;
};

} // namespace tidecast::ui
