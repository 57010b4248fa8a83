#include "ui/GroupMaintenanceDialog.h"

#include "UiTestSupport.h"
#include "commands/MaintenanceTexts.h"
#include "support/ScriptedPrompter.h"
#include "ui/GroupListModel.h"
#include "ui/GroupSetupFeature.h"
#include "ui/MainWindow.h"
#include "ui/RecipientListModel.h"

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace tidecast;
using namespace tidecast::ui;

class GroupMaintenanceDialogTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedPrompter m_prompter;
    std::unique_ptr<MainWindow> m_window;
    GroupSetupFeature* m_groups = nullptr;

    settings::SettingsPaths paths() const { return uitest::pathsUnder(m_dir->path()); }

    void makeGroups(const uitest::GroupContents& groups) { uitest::makeGroups(paths().dataDir, m_prompter, groups); }

    void startWindow()
    {
        m_window = std::make_unique<MainWindow>(paths(), m_prompter);
        m_groups = new GroupSetupFeature(*m_window);
        m_window->show();
        m_groups->loadGroups();
        m_prompter.clear();
    }

    QStringList addressesOf(const QString& group)
    {
        m_groups->selectGroup(group);
        QStringList addresses;
        for (int row = 0; row < m_groups->recipientModel()->rowCount(); ++row) {
            addresses << m_groups->recipientModel()->addressAt(row);
        }
        return addresses;
    }

    // Runs `command`; the window it opens gets `groups` chosen, runs once and closes.
    bool runWindow(const char* command, const QStringList& groups, const QString& field = {})
    {
        bool opened = false;
        uitest::whenModal<GroupMaintenanceDialog>([&](GroupMaintenanceDialog* dialog) {
            opened = true;
            for (int row = 0; row < dialog->groupList()->count(); ++row) {
                QListWidgetItem* item = dialog->groupList()->item(row);
                item->setSelected(groups.contains(item->text()));
            }
            if (!field.isEmpty()) {
                dialog->fieldCombo()->setCurrentText(field);
            }
            dialog->runButton()->click();
            dialog->accept();
        });
        m_window->dispatch(QString::fromLatin1(command));
        return opened;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_prompter = ScriptedPrompter();
    }

    void cleanup()
    {
        m_window.reset();
        m_dir.reset();
    }

    void sortOrdersEveryChosenGroupAndTheListsFollow()
    {
        makeGroups({{"Club", {"cy@example.test", "al@example.test", "bo@example.test"}},
                    {"Other", {"zed@example.test", "yan@example.test"}},
                    {"Untouched", {"b@example.test", "a@example.test"}}});
        startWindow();
        QVERIFY(
            runWindow("ID_Sort", {QStringLiteral("Club"), QStringLiteral("Other")}, QStringLiteral("Email Address")));
        QCOMPARE(m_prompter.texts(), std::vector<std::string>{});
        QCOMPARE(addressesOf(QStringLiteral("Club")),
                 QStringList({QStringLiteral("al@example.test"), QStringLiteral("bo@example.test"),
                              QStringLiteral("cy@example.test")}));
        QCOMPARE(addressesOf(QStringLiteral("Other")),
                 QStringList({QStringLiteral("yan@example.test"), QStringLiteral("zed@example.test")}));
        QCOMPARE(addressesOf(QStringLiteral("Untouched")),
                 QStringList({QStringLiteral("b@example.test"), QStringLiteral("a@example.test")}));
    }

    void repairDeletesAddressesWithoutAnAtAndReports()
    {
        makeGroups({{"Club", {"al@example.test", "broken.example.test", "bo@example.test"}}});
        startWindow();
        QVERIFY(runWindow("ID_RepairGroups", {QStringLiteral("Club")}));
        QCOMPARE(m_prompter.texts(), std::vector<std::string>{commands::text::repairReport("Club", 3, 1)});
        QCOMPARE(addressesOf(QStringLiteral("Club")),
                 QStringList({QStringLiteral("al@example.test"), QStringLiteral("bo@example.test")}));
    }

    void nothingRunsUntilAGroupIsChosen()
    {
        makeGroups({{"Club", {"al@example.test"}}});
        startWindow();
        store::GroupStore& store = m_groups->groups();
        for (const auto job : {GroupMaintenanceDialog::Job::Sort, GroupMaintenanceDialog::Job::Repair}) {
            GroupMaintenanceDialog dialog(store, job, QString());
            QVERIFY(!dialog.runButton()->isEnabled());
            dialog.groupList()->item(0)->setSelected(true);
            QVERIFY(dialog.runButton()->isEnabled());
            QCOMPARE(dialog.fieldCombo() != nullptr, job == GroupMaintenanceDialog::Job::Sort);
        }
        // The group chosen in the main window is chosen already.
        GroupMaintenanceDialog dialog(store, GroupMaintenanceDialog::Job::Repair, QStringLiteral("Club"));
        QVERIFY(dialog.runButton()->isEnabled());
    }
};

QTEST_MAIN(GroupMaintenanceDialogTest)
#include "GroupMaintenanceDialogTest.moc"
