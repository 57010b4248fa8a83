#pragma once

#include "common/Prompter.h"
#include "settings/Settings.h"
#include "settings/SettingsPaths.h"

#include <QDialog>

#include <functional>

class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;

namespace tidecast::ui
{

// "Welcome to Corvane Tidecast", shown on a first run: an introduction, the mail server and the
// sender, the groups, and a closing page. However it is closed, it stores the server, address
// and name and marks the first run as done in "ej.dat" at once.
class WelcomeWizard : public QDialog
{
    Q_OBJECT

public:
    enum Page
    {
        IntroductionPage,
        ServerPage,
        GroupsPage,
        ClosingPage,
    };

    // What the groups page asks of the rest of the program.
    struct GroupActions
    {
        std::function<QStringList()> groups;
        std::function<bool()> createGroup; // false when cancelled
        std::function<void(const QString& group)> addRecipients;
        std::function<void()> importRecipients;
    };

    WelcomeWizard(settings::Settings& settings, const settings::SettingsPaths& paths, Prompter& prompter,
                  GroupActions actions, QWidget* parent = nullptr);

    int currentPage() const;
    void done(int result) override;

private:
    void showPage(int page);
    void refreshGroups();
    void storeFields();

    settings::Settings& m_settings;
    const settings::SettingsPaths& m_paths;
    Prompter& m_prompter;
    GroupActions m_actions;
    bool m_written = false;

    QStackedWidget* m_pages;
    QLineEdit* m_server;
    QLineEdit* m_email;
    QLineEdit* m_name;
    QListWidget* m_groups;
    QPushButton* m_previous;
    QPushButton* m_next;
    QPushButton* m_cancel;
};

} // namespace tidecast::ui
