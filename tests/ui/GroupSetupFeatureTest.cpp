#include "ui/GroupSetupFeature.h"

#include "UiTestSupport.h"
#include "store/StoreTexts.h"
#include "support/ScriptedPrompter.h"
#include "ui/ComposerWidget.h"
#include "ui/GroupDialog.h"
#include "ui/GroupListModel.h"
#include "ui/GroupSetupWidget.h"
#include "ui/MainWindow.h"
#include "ui/RecipientDialog.h"
#include "ui/RecipientListModel.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <functional>

using namespace tidecast;
using namespace tidecast::ui;
using store::RecipientField;

namespace
{

using uitest::whenModal;

bool isBold(const QAbstractItemModel* model, int row)
{
    return model->index(row, 0).data(Qt::FontRole).value<QFont>().bold();
}

} // namespace

class GroupSetupFeatureTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedPrompter m_prompter;
    std::unique_ptr<MainWindow> m_window;
    GroupSetupFeature* m_controller = nullptr;

    settings::SettingsPaths paths() const { return uitest::pathsUnder(m_dir->path()); }

    GroupSetupWidget* tab() const { return m_window->groupSetup(); }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_prompter = ScriptedPrompter();
        std::vector<std::string> many;
        for (int i = 0; i < 32001; ++i) {
            many.push_back("r" + std::to_string(i) + "@example.test");
        }
        uitest::makeGroups(paths().dataDir, m_prompter, {{"Big", many}, {"Small", {}}});
        m_window = std::make_unique<MainWindow>(paths(), m_prompter);
        m_controller = new GroupSetupFeature(*m_window);
        m_window->tabs()->setCurrentIndex(MainWindow::GroupSetupTab);
        m_window->show();
        m_controller->loadGroups();
        m_prompter.clear();
    }

    void cleanup()
    {
        m_window.reset();
        m_dir.reset();
    }

    void selectingAGroupMarksItInBothListsAndFillsTheRecipients()
    {
        QAbstractItemModelTester groupTester(m_controller->groupModel(),
                                             QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester recipientTester(m_controller->recipientModel(),
                                                 QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(tab()->groupsView()->model()->rowCount(), 2);
        QCOMPARE(tab()->groupsOnlyView()->model(), tab()->groupsView()->model());
        QCOMPARE(m_window->composer()->groupSelector()->count(), 2);
        QCOMPARE(m_window->composer()->groupSelector()->currentText(), QStringLiteral("Big"));
        QCOMPARE(tab()->groupsView()->model()->index(0, 1).data().toString(), QStringLiteral("32001"));

        tab()->groupsView()->setCurrentIndex(m_controller->groupModel()->index(0, 0));
        QCOMPARE(m_controller->selectedGroup(), QStringLiteral("Big"));
        QVERIFY(isBold(m_controller->groupModel(), 0));
        QVERIFY(!isBold(m_controller->groupModel(), 1));
        QCOMPARE(tab()->groupsOnlyView()->currentIndex().row(), 0);
        QCOMPARE(m_controller->recipientModel()->rowCount(), 32000);
        // There is no search yet, so the message does not send people to it.
        QCOMPARE(m_prompter.texts(), std::vector<std::string>{std::string(store::text::kListCappedWithoutSearch)});
        QVERIFY(!m_window->commandAction(QStringLiteral("ID_Search"))->isEnabled());
        QCOMPARE(tab()->recipientsView()->currentIndex().row(), 0);
        QVERIFY(isBold(m_controller->recipientModel(), 0));

        // Choosing in the groups-only list moves the selection in the other list too.
        tab()->groupsOnlyView()->setCurrentIndex(m_controller->groupModel()->index(1, 0));
        QCOMPARE(tab()->groupsView()->currentIndex().row(), 1);

        QVERIFY(isBold(m_controller->groupModel(), 1));
        QVERIFY(!isBold(m_controller->groupModel(), 0));
        QCOMPARE(m_controller->recipientModel()->rowCount(), 0);

        // Once there is a search, the message points to it and the command is there to use.
        m_window->registerCommand(QStringLiteral("ID_Search"), [] {});
        m_prompter.clear();
        tab()->groupsView()->setCurrentIndex(m_controller->groupModel()->index(0, 0));
        QCOMPARE(m_prompter.texts(), std::vector<std::string>{std::string(store::text::kListCapped)});
        QVERIFY(m_window->commandAction(QStringLiteral("ID_Search"))->isEnabled());
    }

    void addsAGroupAndAddsModifiesAndDeletesARecipient()
    {
        QAbstractItemModelTester groupTester(m_controller->groupModel(),
                                             QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester recipientTester(m_controller->recipientModel(),
                                                 QAbstractItemModelTester::FailureReportingMode::QtTest);
        whenModal<GroupDialog>([](GroupDialog* dialog) {
            QTest::keyClicks(dialog->nameEdit(), QStringLiteral("Harbour Walkers"));
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("okButton")), Qt::LeftButton);
        });
        QTest::mouseClick(tab()->addGroupButton(), Qt::LeftButton);
        QCOMPARE(m_controller->groupModel()->rowCount(), 3);
        QCOMPARE(m_controller->groupModel()->nameAt(2), QStringLiteral("Harbour Walkers"));
        QCOMPARE(m_window->composer()->groupSelector()->count(), 3);

        m_controller->selectGroup(QStringLiteral("Harbour Walkers"));
        whenModal<RecipientDialog>([](RecipientDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Add a New Recipient to 'Harbour Walkers'"));
            QTest::keyClicks(dialog->fieldEdit(RecipientField::EmailAddress), QStringLiteral("ann@example.test"));
            QTest::keyClicks(dialog->fieldEdit(RecipientField::FirstName), QStringLiteral("Ann"));
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("okButton")), Qt::LeftButton);
        });
        QTest::mouseClick(tab()->addRecipientButton(), Qt::LeftButton);
        QCOMPARE(m_controller->recipientModel()->rowCount(), 1);
        QCOMPARE(m_controller->recipientModel()->index(0, 0).data().toString(), QStringLiteral("Ann"));
        QCOMPARE(m_controller->groupModel()->index(2, 1).data().toString(), QStringLiteral("1"));

        // Enter on the recipient modifies it.
        whenModal<RecipientDialog>([](RecipientDialog* dialog) {
            QCOMPARE(dialog->fieldEdit(RecipientField::FirstName)->text(), QStringLiteral("Ann"));
            dialog->fieldEdit(RecipientField::LastName)->setText(QStringLiteral("Other"));
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("okButton")), Qt::LeftButton);
        });
        tab()->recipientsView()->setCurrentIndex(m_controller->recipientModel()->index(0, 0));
        QTest::keyClick(tab()->recipientsView(), Qt::Key_Return);
        QCOMPARE(m_controller->recipientModel()->index(0, 1).data().toString(), QStringLiteral("Other"));
        QVERIFY(!m_controller->recipients().modifying());

        // The Delete key deletes the selected recipients after the question.
        m_prompter.clear();
        m_prompter.queue(Answer::Yes);
        tab()->recipientsView()->selectionModel()->select(m_controller->recipientModel()->index(0, 0),
                                                          QItemSelectionModel::ClearAndSelect |
                                                              QItemSelectionModel::Rows);
        QTest::keyClick(tab()->recipientsView(), Qt::Key_Delete);
        QCOMPARE(m_prompter.texts(), std::vector<std::string>{std::string(store::text::kDeleteRecipientsQuestion)});
        QCOMPARE(m_controller->recipientModel()->rowCount(), 0);
        QCOMPARE(m_controller->groupModel()->index(2, 1).data().toString(), QStringLiteral("0"));
    }

    void commandPanelSwitchesViews()
    {
        QPushButton* panel = m_window->commandPanel();
        QVERIFY(tab()->isGroupsRecipientsView());
        // The panel's captions are checked with the window; here it switches this tab's views.
        QTest::mouseClick(panel, Qt::LeftButton);
        QVERIFY(!tab()->isGroupsRecipientsView());
        QVERIFY(tab()->groupsOnlyView()->isVisible());
        QVERIFY(!tab()->recipientsView()->isVisible());
        QVERIFY(m_controller->recipients().groupsOnlyView());
        // No recipient can be seen, let alone chosen, in this view: only adding is offered.
        QVERIFY(tab()->nrAddRecipientButton()->isEnabled());
        QVERIFY(!tab()->nrModifyRecipientButton()->isEnabled());
        QVERIFY(!tab()->nrDeleteRecipientButton()->isEnabled());

        // Adding from the groups-only view only refreshes the count.
        tab()->groupsOnlyView()->setCurrentIndex(m_controller->groupModel()->index(1, 0));
        whenModal<RecipientDialog>([](RecipientDialog* dialog) {
            dialog->fieldEdit(RecipientField::EmailAddress)->setText(QStringLiteral("bob@example.test"));
            dialog->accept();
        });
        QTest::mouseClick(tab()->nrAddRecipientButton(), Qt::LeftButton);
        QCOMPARE(m_controller->groupModel()->index(1, 1).data().toString(), QStringLiteral("1"));

        QTest::mouseClick(panel, Qt::LeftButton);
        QVERIFY(tab()->isGroupsRecipientsView());
        QVERIFY(tab()->recipientsView()->isVisible());
        QVERIFY(!m_controller->recipients().groupsOnlyView());
        QCOMPARE(m_controller->recipientModel()->rowCount(), 1);
    }
};

QTEST_MAIN(GroupSetupFeatureTest)
#include "GroupSetupFeatureTest.moc"
