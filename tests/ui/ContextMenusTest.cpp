#include "ui/ContextMenus.h"

#include "UiTestSupport.h"
#include "support/ScriptedPrompter.h"
#include "ui/ComposerWidget.h"
#include "ui/CopyMoveDialog.h"
#include "ui/Features.h"
#include "ui/GroupListModel.h"
#include "ui/GroupSetupFeature.h"
#include "ui/GroupSetupWidget.h"
#include "ui/MainWindow.h"
#include "ui/MessageHistoryWidget.h"
#include "ui/RecipientListModel.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

using namespace tidecast;
using namespace tidecast::ui;

namespace
{

enum class Source
{
    GroupList,
    GroupsOnlyList,
    RecipientList,
    MessageList,
    Editor,
};

// The entries as shown, a separator as "|".
QStringList entries(const QMenu& menu)
{
    QStringList texts;
    for (const QAction* action : menu.actions()) {
        texts << (action->isSeparator() ? QStringLiteral("|") : action->text());
    }
    return texts;
}

QAction* entry(const QMenu& menu, const QString& text)
{
    for (QAction* action : menu.actions()) {
        if (action->text() == text) {
            return action;
        }
    }
    qFatal("no entry %s", qPrintable(text));
}

} // namespace

class ContextMenusTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedPrompter m_prompter;
    std::unique_ptr<MainWindow> m_window;

    settings::SettingsPaths paths() const { return uitest::pathsUnder(m_dir->path()); }
    GroupSetupWidget* tab() const { return m_window->groupSetup(); }
    GroupSetupFeature* groups() const
    {
        return m_window->findChild<GroupSetupFeature*>(QStringLiteral("groupSetupController"));
    }
    ContextMenus* menus() const { return m_window->findChild<ContextMenus*>(QStringLiteral("contextMenus")); }

    QWidget* widgetOf(Source which) const
    {
        switch (which) {
        case Source::GroupList:
            return tab()->groupsView();
        case Source::GroupsOnlyList:
            return tab()->groupsOnlyView();
        case Source::RecipientList:
            return tab()->recipientsView();
        case Source::MessageList:
            return m_window->history()->messagesView();
        case Source::Editor:
            return m_window->composer()->bodyEdit();
        }
        return nullptr;
    }

    int groupCount(const QString& name) const
    {
        const auto* model = groups()->groupModel();
        return model->index(model->rowOf(name), GroupListModel::CountColumn).data().toInt();
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_prompter = ScriptedPrompter();
        // "Customers" with Ann and Bob, and an empty "Others".
        uitest::makeGroups(paths().dataDir, m_prompter,
                           {{"Customers", {"ann@example.test", "bob@example.test"}}, {"Others", {}}});
        m_window = std::make_unique<MainWindow>(paths(), m_prompter);
        installFeatures(*m_window);
        m_window->tabs()->setCurrentIndex(MainWindow::GroupSetupTab);
        m_window->show();
        groups()->loadGroups();
        groups()->selectGroup(QStringLiteral("Customers"));
        m_prompter.clear();
    }

    void cleanup()
    {
        m_window.reset();
        m_dir.reset();
    }

    void eachMenuHasItsEntries_data()
    {
        QTest::addColumn<Source>("source");
        QTest::addColumn<bool>("recipientsShown");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("expected");
        const QStringList group = {
            QStringLiteral("Modify"), QStringLiteral("Delete"),          QStringLiteral("|"),
            QStringLiteral("Search"), QStringLiteral("Import"),          QStringLiteral("Export"),
            QStringLiteral("|"),      QStringLiteral("Add a Recipient"), QStringLiteral("|")};
        const QString toGroupsOnly = QStringLiteral("Switch to Group Only View");
        const QString toBoth = QStringLiteral("Switch to Group && Recipient View");
        QTest::newRow("group list") << Source::GroupList << true << "Group" << (group + QStringList{toGroupsOnly});
        QTest::newRow("groups-only list")
            << Source::GroupsOnlyList << false << "Group" << (group + QStringList{toBoth});
        QTest::newRow("recipient list") << Source::RecipientList << true << "Recipient"
                                        << QStringList{QStringLiteral("Modify"),
                                                       QStringLiteral("Delete"),
                                                       QStringLiteral("|"),
                                                       QStringLiteral("Move"),
                                                       QStringLiteral("Copy"),
                                                       QStringLiteral("|"),
                                                       QStringLiteral("Add to Exclusion list"),
                                                       QStringLiteral("|"),
                                                       toGroupsOnly};
        QTest::newRow("message list") << Source::MessageList << true << "Messages"
                                      << QStringList{QStringLiteral("Open"), QStringLiteral("Delete")};
        QTest::newRow("editor") << Source::Editor << true << "Edit"
                                << QStringList{QStringLiteral("&Undo"),
                                               QStringLiteral("|"),
                                               QStringLiteral("C&ut"),
                                               QStringLiteral("C&opy"),
                                               QStringLiteral("&Paste"),
                                               QStringLiteral("Clear"),
                                               QStringLiteral("|"),
                                               QStringLiteral("Select &All"),
                                               QStringLiteral("|"),
                                               QStringLiteral("&Merge"),
                                               QStringLiteral("Insert Text from a file"),
                                               QStringLiteral("|"),
                                               QStringLiteral("Spell Check")};
    }

    void eachMenuHasItsEntries()
    {
        QFETCH(Source, source);
        QFETCH(bool, recipientsShown);
        QFETCH(QString, title);
        QFETCH(QStringList, expected);
        if (!recipientsShown) {
            m_window->switchToGroupsOnlyView();
        }
        if (source == Source::Editor) {
            m_window->tabs()->setCurrentIndex(MainWindow::EditMessageTab);
        }
        // Through the signal a right-click sends, as a person would open it.
        QWidget* widget = widgetOf(source);
        emit widget->customContextMenuRequested(QPoint(2, 2));
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu != nullptr);
        QCOMPARE(menu->title(), title);
        QCOMPARE(entries(*menu), expected);
        menu->close();
    }

    void viewEntrySwitchesTheViewAndRelabelsThePanel()
    {
        std::unique_ptr<QMenu> menu(menus()->buildMenu(tab()->recipientsView(), QPoint()));
        entry(*menu, QStringLiteral("Switch to Group Only View"))->trigger();
        QVERIFY(!tab()->isGroupsRecipientsView());
        // The panel's captions for each view are checked with the window.
        QCOMPARE(m_window->commandPanel()->text(), QStringLiteral("Groups/Recipients"));
        // Nothing to modify or delete where no recipient shows.
        QVERIFY(!tab()->nrModifyRecipientButton()->isEnabled());

        menu.reset(menus()->buildMenu(tab()->groupsOnlyView(), QPoint()));
        entry(*menu, QStringLiteral("Switch to Group && Recipient View"))->trigger();
        QVERIFY(tab()->isGroupsRecipientsView());
        QCOMPARE(m_window->commandPanel()->text(), QStringLiteral("Groups Only"));
    }

    void moveFromTheRecipientListTransfersTheSelectionAndReloads()
    {
        QTreeView* recipients = tab()->recipientsView();
        QCOMPARE(recipients->model()->rowCount(), 2);
        const QRect bob = recipients->visualRect(recipients->model()->index(1, 0));
        std::unique_ptr<QMenu> menu(menus()->buildMenu(recipients, bob.center()));
        QCOMPARE(groups()->currentAddress(), QStringLiteral("bob@example.test"));

        QString title;
        uitest::whenModal<CopyMoveDialog>([&title](CopyMoveDialog* dialog) {
            title = dialog->windowTitle();
            dialog->destinationCombo()->setCurrentText(QStringLiteral("Others"));
            dialog->runButton()->click();
        });
        entry(*menu, QStringLiteral("Move"))->trigger();
        QCOMPARE(m_prompter.texts(), std::vector<std::string>{});
        QCOMPARE(title, QStringLiteral("Move Recipients ..."));
        QCOMPARE(groupCount(QStringLiteral("Customers")), 1);
        QCOMPARE(groupCount(QStringLiteral("Others")), 1);
        QCOMPARE(groups()->selectedGroup(), QStringLiteral("Customers"));
        QCOMPARE(groups()->recipientModel()->rowCount(), 1);
        QCOMPARE(groups()->recipientModel()->addressAt(0), QStringLiteral("ann@example.test"));
    }

    void copyFromAnEmptyGroupSaysThereIsNobody()
    {
        groups()->selectGroup(QStringLiteral("Others"));
        groups()->copyRecipients();
        QCOMPARE(m_prompter.texts(), std::vector<std::string>{"There is nobody to Copy from this Group."});
    }
};

QTEST_MAIN(ContextMenusTest)
#include "ContextMenusTest.moc"
