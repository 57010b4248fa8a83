#include "ui/ExclusionListDialog.h"

#include "common/Text.h"
#include "support/ScriptedChooser.h"
#include "support/ScriptedPrompter.h"
#include "support/SendTestSupport.h"
#include "transfer/ExclusionTexts.h"
#include "ui/ExcludeRecipientDialog.h"
#include "ui/ExclusionImportDialog.h"
#include "ui/ExclusionListModel.h"
#include "ui/ImportProgressDialog.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <fstream>

using namespace tidecast;
using Entries = std::vector<transfer::ExclusionEntry>;

// The exclusion list window and its Add dialog over a real data folder.
class ExclusionListDialogTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::filesystem::path m_data;
    ScriptedPrompter m_prompter;
    ScriptedChooser m_chooser;

    std::unique_ptr<ui::ExclusionListDialog> makeDialog(const QString& handed = {})
    {
        auto dialog = std::make_unique<ui::ExclusionListDialog>(
            ui::ExclusionListDialog::Setup{m_data, {"Club", "Gone"}, handed, &m_chooser}, m_prompter);
        new QAbstractItemModelTester(dialog->view()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest,
                                     dialog.get());
        return dialog;
    }

    Entries fileEntries() const
    {
        auto loaded = transfer::ExclusionList::load(transfer::ExclusionList::filePath(m_data));
        return loaded ? loaded->entries() : Entries{};
    }

    static QString countText(const ui::ExclusionListDialog& dialog)
    {
        return dialog.findChild<QLabel*>(QStringLiteral("countLabel"))->text();
    }

    static void click(const ui::ExclusionListDialog& dialog, const char* button)
    {
        dialog.findChild<QPushButton*>(QString::fromLatin1(button))->click();
    }

    // The Add dialog filled in and confirmed; tells whether it closed.
    static bool addThroughDialog(ui::ExclusionListDialog& dialog, const QString& address, const QString& group)
    {
        bool closed = false;
        dialog.setAddHook([&](ui::ExcludeRecipientDialog& add) {
            if (!address.isNull()) {
                add.addressEdit()->setText(address);
            }
            add.groupBox()->setCurrentText(group);
            add.accept();
            closed = add.result() == QDialog::Accepted;
        });
        click(dialog, "addButton");
        return closed;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_data = m_dir->path().toStdString();
        m_prompter = ScriptedPrompter();
        m_chooser = ScriptedChooser();
        QVERIFY(test::makeGroup(m_data, "Club", {"a@example.test"}));
    }

    void showsTheFileAndItsTexts()
    {
        QVERIFY(test::makeExclusionList(m_data, {{"x@example.test", "All Groups"}, {"y@example.test", "Club"}}));
        auto dialog = makeDialog();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Exclusion List"));
        QCOMPARE(dialog->findChild<QGroupBox*>()->title(), QStringLiteral("Exclusion List Members"));
        QVERIFY(!dialog->findChildren<QLabel*>().isEmpty());
        bool noteShown = false;
        for (const auto* label : dialog->findChildren<QLabel*>()) {
            noteShown = noteShown || label->text() == QString::fromUtf8(transfer::text::kExclusionNote.data());
        }
        QVERIFY(noteShown);
        QCOMPARE(countText(*dialog), QStringLiteral("2 Recipients"));
        auto* model = dialog->view()->model();
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Recipient"));
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Group"));
        QCOMPARE(model->index(1, 0).data().toString(), QStringLiteral("y@example.test"));
        QCOMPARE(model->index(1, 1).data().toString(), QStringLiteral("Club"));
    }

    void addChecksTheAddressAndSameness()
    {
        auto dialog = makeDialog();
        // Only groups with a file are offered.
        QStringList offered;
        dialog->setAddHook([&offered](ui::ExcludeRecipientDialog& add) {
            QCOMPARE(add.windowTitle(), QStringLiteral("Exclude a Recipient"));
            for (int i = 0; i < add.groupBox()->count(); ++i) {
                offered << add.groupBox()->itemText(i);
            }
        });
        click(*dialog, "addButton");
        QCOMPARE(offered, (QStringList{QStringLiteral("All Groups"), QStringLiteral("Club")}));

        QVERIFY(!addThroughDialog(*dialog, QStringLiteral("no-at-sign"), QStringLiteral("All Groups")));
        QVERIFY(addThroughDialog(*dialog, QStringLiteral("Some@Example.test"), QStringLiteral("All Groups")));
        QVERIFY(!addThroughDialog(*dialog, QStringLiteral("some@example.TEST"), QStringLiteral("Club")));
        QCOMPARE(m_prompter.log(), (std::vector<ScriptedPrompter::Entry>{
                                       {std::string(transfer::text::kInvalidAddress), Icon::Exclamation, false},
                                       {std::string(transfer::text::kAlreadyListed), Icon::Exclamation, false}}));
        QCOMPARE(countText(*dialog), QStringLiteral("1 Recipients"));
        QCOMPARE(dialog->list().entries(), (Entries{{"Some@Example.test", "All Groups"}}));
    }

    void aHandedAddressOpensTheAddDialogAtOnce()
    {
        auto dialog = makeDialog(QStringLiteral("handed@example.test"));
        QString shown;
        dialog->setAddHook([&shown](ui::ExcludeRecipientDialog& add) {
            shown = add.addressEdit()->text();
            add.groupBox()->setCurrentText(QStringLiteral("Club"));
            add.accept();
        });
        dialog->show();
        QTRY_COMPARE(shown, QStringLiteral("handed@example.test"));
        QCOMPARE(dialog->list().entries(), (Entries{{"handed@example.test", "Club"}}));
    }

    // The questions and refusals are the editor's and checked with it; here the buttons and the
    // Delete key reach them with the rows chosen in the view.
    void deleteAndDeleteAllAskFirst()
    {
        auto dialog = makeDialog();
        QVERIFY(addThroughDialog(*dialog, QStringLiteral("a@example.test"), QStringLiteral("All Groups")));
        QVERIFY(addThroughDialog(*dialog, QStringLiteral("b@example.test"), QStringLiteral("Club")));
        QVERIFY(addThroughDialog(*dialog, QStringLiteral("c@example.test"), QStringLiteral("Club")));
        click(*dialog, "deleteButton");

        auto* view = dialog->view();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        view->setFocus();
        for (const int row : {0, 2}) {
            view->selectionModel()->select(view->model()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        m_prompter.queue(Answer::Yes);
        QTest::keyClick(view, Qt::Key_Delete);
        QCOMPARE(dialog->list().entries(), (Entries{{"b@example.test", "Club"}}));
        QCOMPARE(countText(*dialog), QStringLiteral("1 Recipients"));

        m_prompter.queue(Answer::Yes);
        click(*dialog, "deleteAllButton");
        QVERIFY(dialog->list().isEmpty());
        QCOMPARE(countText(*dialog), QStringLiteral("0 Recipients"));
        QCOMPARE(m_prompter.texts(), (std::vector<std::string>{std::string(transfer::text::kSelectToRemove),
                                                               std::string(transfer::text::kDeleteSelectedQuestion),
                                                               std::string(transfer::text::kDeleteAllQuestion)}));
    }

    void onlyOkWritesTheFileWithOneBackup()
    {
        QVERIFY(test::makeExclusionList(m_data, {{"first@example.test", "All Groups"}}));
        const auto file = transfer::ExclusionList::filePath(m_data);
        auto backup = file;
        backup += ".old";
        {
            auto dialog = makeDialog();
            QVERIFY(addThroughDialog(*dialog, QStringLiteral("second@example.test"), QStringLiteral("Club")));
            click(*dialog, "cancelButton");
            QCOMPARE(dialog->result(), int(QDialog::Rejected));
        }
        QCOMPARE(fileEntries(), (Entries{{"first@example.test", "All Groups"}}));
        QVERIFY(!std::filesystem::exists(backup));

        for (const char* address : {"second@example.test", "third@example.test"}) {
            auto dialog = makeDialog();
            QVERIFY(addThroughDialog(*dialog, QString::fromLatin1(address), QStringLiteral("Club")));
            click(*dialog, "okButton");
            QCOMPARE(dialog->result(), int(QDialog::Accepted));
        }
        QCOMPARE(fileEntries(), (Entries{{"first@example.test", "All Groups"},
                                         {"second@example.test", "Club"},
                                         {"third@example.test", "Club"}}));
        auto previous = transfer::ExclusionList::load(backup);
        QVERIFY(previous.hasValue());
        QCOMPARE(previous->entries(), (Entries{{"first@example.test", "All Groups"}, {"second@example.test", "Club"}}));
    }

    void exportWritesTheListWithoutABackupFirst()
    {
        auto dialog = makeDialog();
        QVERIFY(addThroughDialog(*dialog, QStringLiteral("x@example.test"), QStringLiteral("All Groups")));
        Entries seenByExport;
        dialog->setExportHandler([this, &seenByExport] { seenByExport = fileEntries(); });
        click(*dialog, "exportButton");
        QCOMPARE(seenByExport, (Entries{{"x@example.test", "All Groups"}}));
        auto backup = transfer::ExclusionList::filePath(m_data);
        backup += ".old";
        QVERIFY(!std::filesystem::exists(backup));
    }

    void importTakesWhatItFindsAndOnlyOkKeepsIt()
    {
        QVERIFY(test::makeExclusionList(m_data, {{"known@example.test", "All Groups"}}));
        const auto file = m_data / "more.txt";
        std::ofstream(file, std::ios::binary) << "new@example.test";
        QApplication::clipboard()->setText(
            QStringLiteral("Known@Example.test, new@example.test\nx@ab.c other@example.org"));
        m_chooser.answers = {file, file}; // one a case
        const struct
        {
            bool fromClipboard;
            int groupRow;
            QString source;
            QString counts; // added, duplicates, ignored, illegal
            Entries listed;
            const char* closeWith;
            Entries saved;
        } cases[] = {
            {true,
             0,
             QStringLiteral("From Clipboard"),
             QStringLiteral("2 1 0 1 "),
             {{"known@example.test", "All Groups"},
              {"new@example.test", "All Groups"},
              {"other@example.org", "All Groups"}},
             "cancelButton",
             {{"known@example.test", "All Groups"}}},
            {false,
             1,
             QString::fromStdString(file.string()),
             QStringLiteral("1 0 0 0 "),
             {{"known@example.test", "All Groups"}, {"new@example.test", "Club"}},
             "okButton",
             {{"known@example.test", "All Groups"}, {"new@example.test", "Club"}}},
        };
        for (const auto& c : cases) {
            auto dialog = makeDialog();
            QString offered;
            QString counts;
            dialog->setImportHook([&](ui::ExclusionImportDialog& import) {
                QCOMPARE(import.windowTitle(), QStringLiteral("Exclusion list Import"));
                auto* groups = import.findChild<QListWidget*>(QStringLiteral("groupList"));
                for (int i = 0; i < groups->count(); ++i) {
                    offered += groups->item(i)->text() + QLatin1Char(';');
                }
                groups->setCurrentRow(c.groupRow);
                import.findChild<QRadioButton*>(QStringLiteral("clipboardRadio"))->setChecked(c.fromClipboard);
                import.findChild<QPushButton*>(QStringLiteral("selectButton"))->click();
                import.setProgressHook([&](ui::ImportProgressDialog& progress) {
                    QCOMPARE(progress.windowTitle(), QStringLiteral("Import Progress"));
                QCOMPARE(progress.findChild<QLabel*>(QStringLiteral("sourceLabel"))->text(), c.source);
                QCOMPARE(progress.findChild<QLabel*>(QStringLiteral("groupLabel"))->text(),
                         QStringLiteral("Exclusion List"));
                progress.show();
                QTRY_COMPARE(progress.findChild<QPushButton*>(QStringLiteral("stopButton"))->text(),
                             QStringLiteral("&Close"));
                QCOMPARE(progress.findChild<QLabel*>(QStringLiteral("statusLabel"))->text(),
                         QStringLiteral("Import Completed"));
                for (const char* name :
                     {"addedCountLabel", "duplicatesCountLabel", "ignoredCountLabel", "illegalCountLabel"}) {
                    counts += progress.findChild<QLabel*>(QString::fromLatin1(name))->text() + QLatin1Char(' ');
                }
            });
            import.findChild<QPushButton*>(QStringLiteral("startButton"))->click();
            QCOMPARE(import.result(), int(QDialog::Accepted));
        });
        click(*dialog, "importButton");
        QCOMPARE(offered, QStringLiteral("All Groups;Club;"));
        QCOMPARE(counts, c.counts);
        QCOMPARE(dialog->list().entries(), c.listed);
        QCOMPARE(countText(*dialog), QStringLiteral("%1 Recipients").arg(c.listed.size()));
        click(*dialog, c.closeWith);
        QCOMPARE(fileEntries(), c.saved);
    }
    QCOMPARE(m_chooser.requests.back().title, std::string("Select input file to import data from"));
    QCOMPARE(m_chooser.requests.back().filter, std::string("All files (*.*)|*.*"));
    QVERIFY(m_prompter.log().empty());
}

    void importStartRefusesAMissingSource()
{
    auto dialog = makeDialog();
    QApplication::clipboard()->clear();
    bool opened = false;
    for (const bool fromClipboard : {false, true}) {
        dialog->setImportHook([&](ui::ExclusionImportDialog& import) {
            import.findChild<QRadioButton*>(QStringLiteral("clipboardRadio"))->setChecked(fromClipboard);
                import.setProgressHook([&opened](ui::ImportProgressDialog&) { opened = true;
        });
        import.findChild<QPushButton*>(QStringLiteral("startButton"))->click();
        QCOMPARE(import.result(), int(QDialog::Rejected));
    });
    click(*dialog, "importButton");
}
QVERIFY(!opened);
QCOMPARE(m_prompter.log(),
         (std::vector<ScriptedPrompter::Entry>{
             {"Please select a valid file to import first.", Icon::Critical, false},
             {"These appears to be no data currently on the clipboard. Please copy your data to the Windows "
              "clipboard before proceeding.",
              Icon::Exclamation, false}}));
QVERIFY(dialog->list().isEmpty());
}

void aMillionEntriesLoadAndDelete()
{
    transfer::ExclusionList big;
    for (int i = 0; i < 1'000'000; ++i) {
        big.add("user" + std::to_string(i) + "@example.test", i % 2 == 0 ? "All Groups" : "Club");
    }
    QVERIFY(big.save(transfer::ExclusionList::filePath(m_data), transfer::ExclusionBackup::None));
    ui::ExclusionListDialog dialog({m_data, {"Club"}, {}}, m_prompter);
    QCOMPARE(countText(dialog), QStringLiteral("1000000 Recipients"));
    dialog.show();
    auto* view = dialog.view();
    const auto last = view->model()->index(999'999, 0);
    view->scrollTo(last);
    view->selectionModel()->select(last, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    m_prompter.queue(Answer::Yes);
    click(dialog, "deleteButton");
    QCOMPARE(countText(dialog), QStringLiteral("999999 Recipients"));
    QCOMPARE(view->model()->index(999'998, 0).data().toString(), QStringLiteral("user999998@example.test"));
}
}
;

QTEST_MAIN(ExclusionListDialogTest)
#include "ExclusionListDialogTest.moc"
