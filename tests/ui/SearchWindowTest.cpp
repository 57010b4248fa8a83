#include "ui/SearchWindow.h"

#include "commands/MaintenanceTexts.h"
#include "common/Clock.h"
#include "common/Progress.h"
#include "common/StatusSink.h"
#include "store/StoreTexts.h"
#include "support/ScriptedPrompter.h"
#include "ui/CopyMoveDialog.h"
#include "ui/RecipientDialog.h"
#include "ui/SearchResultsModel.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <memory>

using namespace tidecast;
using namespace tidecast::ui;

class SearchWindowTest : public QObject
{
    Q_OBJECT

private:
    static constexpr int kRecipients = 40000;

    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedPrompter m_prompter;
    NullStatusSink m_status;
    NullProgress m_progress;
    SystemClock m_clock;
    std::unique_ptr<store::GroupStore> m_groups;
    std::unique_ptr<SearchWindow> m_window;

    // "Big" holds r0..r39999, every 10,000th of them in Rome; "Small" is empty.
    void makeGroups()
    {
        for (const char* name : {"Big", "Small"}) {
            m_groups->beginAddGroup();
            QVERIFY(m_groups->acceptGroupDialog("", name, {}).accepted());
            m_groups->finishAddGroup();
        }
        store::RecipientStore file;
        QVERIFY(file.open(m_groups->groupPath("Big")));
        QVERIFY(file.beginTransaction());
        for (int i = 0; i < kRecipients; ++i) {
            QVERIFY(file.addNew());
            QVERIFY(file.setField("EmailAddress", "r" + std::to_string(i) + "@example.test"));
            QVERIFY(file.setField("City", i % 10000 == 9999 ? "Rome" : "Oslo"));
        }
        QVERIFY(file.close());
        m_groups->loadGroups();
    }

    // Runs a search and waits for it to end.
    void searchFor(const QString& field, const QString& comparison, const QString& value)
    {
        m_window->fieldCombo()->setCurrentText(field);
        m_window->comparisonCombo()->setCurrentText(comparison);
        m_window->valueEdit()->setText(value);
        QTest::mouseClick(m_window->searchButton(), Qt::LeftButton);
        QTRY_VERIFY(!m_window->isSearching());
    }

    QStringList shownAddresses() const
    {
        QStringList out;
        for (int row = 0; row < m_window->resultsModel()->rowCount(); ++row) {
            out.append(m_window->resultsModel()->addressAt(row));
        }
        return out;
    }

    QPushButton* button(const char* name) const { return m_window->findChild<QPushButton*>(QString::fromLatin1(name)); }

    std::int64_t count(const char* group) const { return m_groups->rows()[m_groups->rowOf(group)].count; }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_prompter = ScriptedPrompter();
        m_groups = std::make_unique<store::GroupStore>((m_dir->path() + QStringLiteral("/")).toStdString(), m_prompter,
                                                       m_status, m_progress, m_clock);
        makeGroups();
        m_window = std::make_unique<SearchWindow>(*m_groups, QStringLiteral("Big"));
        m_window->show();
        m_prompter.clear();
    }

    void cleanup()
    {
        m_window.reset();
        m_groups.reset();
        m_dir.reset();
    }

    void findsByIndexAndByScanBeyondTheListedRowsWithTheCountText()
    {
        QAbstractItemModelTester tester(m_window->resultsModel(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(m_window->groupCombo()->currentText(), QStringLiteral("Big"));
        QCOMPARE(m_window->fieldCombo()->currentText(), QStringLiteral("Email Address"));
        QCOMPARE(m_window->comparisonCombo()->currentText(), QStringLiteral("Equals"));
        QVERIFY(!button("modifyButton")->isEnabled());

        struct Case
        {
            QString field;
            QString comparison;
            QString value;
            QStringList expected;
        };
        const QList<Case> cases = {
            {QStringLiteral("Email Address"),
             QStringLiteral("Equals"),
             QStringLiteral("R39999@example.test"),
             {QStringLiteral("r39999@example.test")}},
            {QStringLiteral("City"),
             QStringLiteral("Equals"),
             QStringLiteral("rome"),
             {QStringLiteral("r9999@example.test"), QStringLiteral("r19999@example.test"),
              QStringLiteral("r29999@example.test"), QStringLiteral("r39999@example.test")}},
            {QStringLiteral("Email Address"),
             QStringLiteral("Starts with"),
             QStringLiteral("r3999"),
             {QStringLiteral("r3999@example.test"), QStringLiteral("r39990@example.test"),
              QStringLiteral("r39991@example.test"), QStringLiteral("r39992@example.test"),
              QStringLiteral("r39993@example.test"), QStringLiteral("r39994@example.test"),
              QStringLiteral("r39995@example.test"), QStringLiteral("r39996@example.test"),
              QStringLiteral("r39997@example.test"), QStringLiteral("r39998@example.test"),
              QStringLiteral("r39999@example.test")}},
        };
        for (const auto& c : cases) {
            searchFor(c.field, c.comparison, c.value);
            QCOMPARE(shownAddresses(), c.expected);
            QCOMPARE(m_window->resultsFrame()->title(),
                     QStringLiteral("Search returned %1 recipient(s)").arg(c.expected.size()));
            QCOMPARE(m_window->resultsView()->currentIndex().row(), 0);
            QVERIFY(button("moveButton")->isEnabled());
        }
        QVERIFY(m_prompter.log().empty());

        searchFor(QStringLiteral("City"), QStringLiteral("Contains"), QStringLiteral("Paris"));
        QVERIFY(shownAddresses().isEmpty());
        QCOMPARE(m_window->resultsFrame()->title(), QStringLiteral("Search returned 0 recipients"));
        QCOMPARE(m_prompter.texts(), (std::vector<std::string>{std::string(commands::text::kSearchFoundNobody)}));
        QVERIFY(!button("deleteButton")->isEnabled());
        QVERIFY(!m_window->needsReload());
    }

    void deleteAndMoveSearchAgainSilentlyAndAskForAReload()
    {
        searchFor(QStringLiteral("City"), QStringLiteral("Equals"), QStringLiteral("Rome"));
        m_window->resultsView()->selectionModel()->clearSelection();
        m_window->deleteRecipients();
        QCOMPARE(m_prompter.texts(), (std::vector<std::string>{std::string(store::text::kSelectRecipientToDelete)}));

        // Delete the first two found.
        m_prompter.clear();
        m_window->resultsView()->selectionModel()->select(
            QItemSelection(m_window->resultsModel()->index(0, 0), m_window->resultsModel()->index(1, 2)),
            QItemSelectionModel::Select | QItemSelectionModel::Rows);
        m_prompter.queue(Answer::Yes);
        m_window->deleteRecipients();
        QTRY_VERIFY(!m_window->isSearching());
        QCOMPARE(shownAddresses(),
                 (QStringList{QStringLiteral("r29999@example.test"), QStringLiteral("r39999@example.test")}));
        QVERIFY(m_window->needsReload());

        // Move the rest: nobody is left to find, and the repeated search does not say so.
        m_prompter.clear();
        m_window->selectAll();
        m_window->setCopyMoveHook([](CopyMoveDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Move Recipients ..."));
            QCOMPARE(dialog.recipientsList()->count(), 2);
            dialog.destinationCombo()->setCurrentText(QStringLiteral("Small"));
            QTimer::singleShot(0, dialog.runButton(), &QPushButton::click);
        });
        m_window->moveRecipients();
        QTRY_VERIFY(!m_window->isSearching());
        QVERIFY(shownAddresses().isEmpty());
        QVERIFY(m_prompter.log().empty());
        QCOMPARE(count("Big"), kRecipients - 4);
        QCOMPARE(count("Small"), 2);

        m_window->copyRecipients();
        QCOMPARE(m_prompter.texts(),
                 (std::vector<std::string>{std::string(commands::text::nobodyToTransfer(false, true))}));
    }

    void modifyWritesToTheSearchedGroupAndShowsTheChange()
    {
        searchFor(QStringLiteral("Email Address"), QStringLiteral("Equals"), QStringLiteral("r35000@example.test"));
        m_window->setRecipientDialogHook([](RecipientDialog& dialog) {
            dialog.fieldEdit(store::RecipientField::City)->setText(QStringLiteral("Rome"));
            QTimer::singleShot(0, &dialog, &RecipientDialog::accept);
        });
        m_window->modifyRecipient();
        QTRY_VERIFY(!m_window->isSearching());
        QVERIFY(m_window->needsReload());
        searchFor(QStringLiteral("City"), QStringLiteral("Equals"), QStringLiteral("Rome"));
        QCOMPARE(shownAddresses().size(), 5);
        QVERIFY(shownAddresses().contains(QStringLiteral("r35000@example.test")));
    }

    void exportAndTheRightClickMenuWorkOnTheResults()
    {
        // Entry captions, and which are enabled, before and after a search that found four.
        const auto entries = [this] {
            std::unique_ptr<QMenu> menu(m_window->buildResultsMenu());
            QStringList out;
            for (const QAction* action : menu->actions()) {
                if (!action->isSeparator()) {
                    out.append(action->text() + (action->isEnabled() ? QStringLiteral("+") : QStringLiteral("-")));
                }
            }
            return out.join(u',');
        };
        const QString file = m_dir->path() + QStringLiteral("/Search Results.gdb");
        QStringList exported;
        m_window->setExportHandler([&exported, &file] {
            store::RecipientStore results;
            QVERIFY(results.open(file.toStdString()));
            QVERIFY(results.moveFirst());
            while (!results.atEnd()) {
                exported.append(QString::fromStdString(results.field("EmailAddress")));
                QVERIFY(results.moveNext());
            }
            QVERIFY(results.close());
        });
        QCOMPARE(entries(), QStringLiteral("Modify-,Delete-,Copy-,Move-,Select All-,Export-,Add to Exclusion List-"));
        searchFor(QStringLiteral("City"), QStringLiteral("Equals"), QStringLiteral("Rome"));
        QCOMPARE(entries(), QStringLiteral("Modify+,Delete+,Copy+,Move+,Select All+,Export+,Add to Exclusion List-"));

        QTest::mouseClick(button("exportButton"), Qt::LeftButton);
        QCOMPARE(exported, (QStringList{QStringLiteral("r9999@example.test"), QStringLiteral("r19999@example.test"),
                                        QStringLiteral("r29999@example.test"), QStringLiteral("r39999@example.test")}));
        QVERIFY(!QFile::exists(file));
        QVERIFY(m_window->isEnabled());
        QVERIFY(m_prompter.log().empty());

        QString excluded;
        m_window->setExclusionHandler([&excluded](const QString& address) { excluded = address; });
        m_window->resultsView()->setCurrentIndex(m_window->resultsModel()->index(2, 0));
        std::unique_ptr<QMenu> menu(m_window->buildResultsMenu());
        menu->actions().constLast()->trigger();
        QCOMPARE(excluded, QStringLiteral("r29999@example.test"));
    }
};

QTEST_MAIN(SearchWindowTest)
#include "SearchWindowTest.moc"
