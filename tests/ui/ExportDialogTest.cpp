#include "ui/ExportDialog.h"

#include "common/Text.h"
#include "support/ScriptedPrompter.h"
#include "support/SendTestSupport.h"
#include "transfer/ExclusionList.h"
#include "transfer/ExportTexts.h"
#include "ui/ExportProgressDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <deque>

using namespace tidecast;

namespace
{

// Answers save dialogs from a queue and remembers what was asked.
class ScriptedChooser final : public messages::FileChooser
{
public:
    std::optional<std::filesystem::path> openFile(const messages::FileDialogRequest&) override { return {}; }
    std::optional<std::filesystem::path> saveFile(const messages::FileDialogRequest& request) override
    {
        requests.push_back(request);
        if (answers.empty()) {
            return {};
        }
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::deque<std::filesystem::path> answers;
    std::vector<messages::FileDialogRequest> requests;
};

QStringList itemTexts(const QListWidget* list, bool selectedOnly)
{
    QStringList texts;
    for (int row = 0; row < list->count(); ++row) {
        if (!selectedOnly || list->item(row)->isSelected()) {
            texts << list->item(row)->text();
        }
    }
    return texts;
}

void selectFields(QListWidget* list, const QStringList& fields)
{
    list->clearSelection();
    for (const auto& field : fields) {
        const auto found = list->findItems(field, Qt::MatchExactly);
        QVERIFY(!found.isEmpty());
        found.front()->setSelected(true);
    }
}

} // namespace

// The export window over a real data folder, with the progress window run on its worker thread.
class ExportDialogTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::filesystem::path m_data;
    settings::Settings m_settings;
    ScriptedPrompter m_prompter;
    ScriptedChooser m_chooser;

    std::unique_ptr<ui::ExportDialog> makeDialog(transfer::ExportMode mode, const std::string& current = "Club")
    {
        return std::make_unique<ui::ExportDialog>(ui::ExportDialog::Setup{mode, {"Club", "Team"}, current, m_data},
                                                  m_settings, m_prompter, m_chooser);
    }

    // Start, with the progress window shown until the export has ended.
    static QString runExport(ui::ExportDialog& dialog)
    {
        QString status;
        dialog.setProgressHook([&status](ui::ExportProgressDialog& progress) {
            progress.show();
            QTRY_VERIFY(!progress.isRunning() && progress.outcome().status != transfer::ExportStatus::Refused);
            status = progress.findChild<QLabel*>(QStringLiteral("statusLabel"))->text();
            QCOMPARE(progress.findChild<QPushButton*>(QStringLiteral("stopButton"))->text(), QStringLiteral("&Close"));
        });
        dialog.findChild<QPushButton*>(QStringLiteral("startButton"))->click();
        return status;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_data = m_dir->path().toStdString();
        m_settings = settings::Settings();
        m_prompter = ScriptedPrompter();
        m_chooser = ScriptedChooser();
        QVERIFY(test::makeGroup(m_data, "Club", {"c@example.test", "a@example.test", "b@example.test"}));
        QVERIFY(test::makeGroup(m_data, "Team", {"t@example.test"}));
    }

    void startChecksTheFileThenTheFields()
    {
        auto dialog = makeDialog(transfer::ExportMode::Groups);
        auto* start = dialog->findChild<QPushButton*>(QStringLiteral("startButton"));
        start->click();
        dialog->findChild<QLineEdit*>(QStringLiteral("outputLineEdit"))->setText(QStringLiteral("/tmp/x.txt"));
        start->click();
        QCOMPARE(m_prompter.log(), (std::vector<ScriptedPrompter::Entry>{
                                       {std::string(transfer::text::kSelectOutputFile), Icon::Critical, false},
                                       {std::string(transfer::text::kSelectFields), Icon::Critical, false}}));
    }

    void exportsTheChosenFieldsAndRemembersThePath()
    {
        auto dialog = makeDialog(transfer::ExportMode::Groups, "Team");
        QCOMPARE(dialog->findChild<QComboBox*>(QStringLiteral("sourceComboBox"))->currentText(),
                 QStringLiteral("Team"));
        dialog->findChild<QComboBox*>(QStringLiteral("sourceComboBox"))->setCurrentIndex(0);
        QCOMPARE(dialog->source().name, std::string("Club"));

        const auto output = m_data / "out" / "club.txt";
        std::filesystem::create_directories(output.parent_path());
        m_chooser.answers.push_back(output);
        dialog->findChild<QPushButton*>(QStringLiteral("selectButton"))->click();
        QCOMPARE(m_chooser.requests.size(), std::size_t(1));
        QCOMPARE(m_chooser.requests[0].defaultName, std::string("Club.txt"));
        QCOMPARE(m_chooser.requests[0].filter, std::string(transfer::text::kOutputFileTypes));
        QCOMPARE(m_settings.lastExportFolder, output.parent_path().string());

        auto* fields = dialog->findChild<QListWidget*>(QStringLiteral("fieldsListWidget"));
        selectFields(fields, {QStringLiteral("Email Address"), QStringLiteral("First Name")});
        // Moving "First Name" above "Email Address" keeps it selected and changes the column order.
        fields->setCurrentRow(3, QItemSelectionModel::NoUpdate);
        for (int i = 0; i < 3; ++i) {
            dialog->findChild<QPushButton*>(QStringLiteral("moveUpButton"))->click();
        }
        QCOMPARE(itemTexts(fields, true), (QStringList{QStringLiteral("First Name"), QStringLiteral("Email Address")}));
        dialog->findChild<QCheckBox*>(QStringLiteral("headerCheckBox"))->setChecked(true);

        QCOMPARE(runExport(*dialog), QStringLiteral("Export Completed"));
        QCOMPARE(readWholeFile(output), std::string("First Name, Email Address\r\nFirst,c@example.test\r\n"
                                                    "First,a@example.test\r\nFirst,b@example.test\r\n"));
        QVERIFY(m_prompter.log().empty());

        // Chosen again later, the group proposes the same file; another group proposes none.
        auto again = makeDialog(transfer::ExportMode::Groups, "Club");
        auto* outputEdit = again->findChild<QLineEdit*>(QStringLiteral("outputLineEdit"));
        QCOMPARE(outputEdit->text().toStdString(), output.string());
        again->findChild<QComboBox*>(QStringLiteral("sourceComboBox"))->setCurrentIndex(1);
        QCOMPARE(outputEdit->text(), QString());
    }

    void sortIsRefusedUnderDoubleByteSafetyAndSortsTheGroupOtherwise()
    {
        m_settings.safeDelete = true;
        auto dialog = makeDialog(transfer::ExportMode::Groups);
        auto* sort = dialog->findChild<QCheckBox*>(QStringLiteral("sortCheckBox"));
        sort->setChecked(true);
        QVERIFY(!sort->isChecked());
        QCOMPARE(m_prompter.texts(), std::vector<std::string>{std::string(transfer::text::kSortUnavailable)});
        QCOMPARE(m_prompter.log()[0].icon, Icon::Information);

        m_settings.safeDelete = false;
        m_prompter.clear();
        sort->setChecked(true);
        QVERIFY(sort->isChecked());
        dialog->findChild<QComboBox*>(QStringLiteral("sortComboBox"))->setCurrentText(QStringLiteral("Email Address"));
        const auto output = m_data / "sorted.txt";
        dialog->findChild<QLineEdit*>(QStringLiteral("outputLineEdit"))
            ->setText(QString::fromStdString(output.string()));
        selectFields(dialog->findChild<QListWidget*>(QStringLiteral("fieldsListWidget")),
                     {QStringLiteral("Email Address")});
        QCOMPARE(runExport(*dialog), QStringLiteral("Export Completed"));
        QCOMPARE(readWholeFile(output), std::string("a@example.test\r\nb@example.test\r\nc@example.test\r\n"));
    }

    void selectAllTogglesAndTheExclusionModeOffersItsOwnFields()
    {
        QVERIFY(
            transfer::ExclusionList().save(transfer::ExclusionList::filePath(m_data), transfer::ExclusionBackup::None));
        auto dialog = makeDialog(transfer::ExportMode::ExclusionList);
        auto* source = dialog->findChild<QComboBox*>(QStringLiteral("sourceComboBox"));
        auto* fields = dialog->findChild<QListWidget*>(QStringLiteral("fieldsListWidget"));
        auto* selectAll = dialog->findChild<QPushButton*>(QStringLiteral("selectAllButton"));
        QCOMPARE(source->itemText(0), QStringLiteral("Exclusion List"));
        QCOMPARE(itemTexts(fields, false),
                 (QStringList{QStringLiteral("Email Address"), QStringLiteral("Group Name")}));

        selectAll->click();
        QCOMPARE(selectAll->text(), QStringLiteral("De-select All &Fields"));
        QCOMPARE(itemTexts(fields, true).size(), 2);
        selectAll->click();
        QCOMPARE(selectAll->text(), QStringLiteral("Select all &Fields"));
        QVERIFY(itemTexts(fields, true).isEmpty());

        source->setCurrentIndex(1);
        QCOMPARE(fields->count(), 22);
        QCOMPARE(fields->item(1)->text(), QStringLiteral("Full Name"));
        QCOMPARE(dialog->findChild<QComboBox*>(QStringLiteral("sortComboBox"))->count(), 21);

        // The empty list is refused by the export itself, and the progress window closes.
        source->setCurrentIndex(0);
        selectAll->click();
        dialog->findChild<QLineEdit*>(QStringLiteral("outputLineEdit"))
            ->setText(QString::fromStdString((m_data / "ex.txt").string()));
        bool refused = false;
        dialog->setProgressHook([&refused](ui::ExportProgressDialog& progress) {
            progress.show();
            QTRY_VERIFY(!progress.isRunning() && progress.isHidden());
            refused = progress.outcome().status == transfer::ExportStatus::Refused;
        });
        dialog->findChild<QPushButton*>(QStringLiteral("startButton"))->click();
        QVERIFY(refused);
        QCOMPARE(m_prompter.texts(), std::vector<std::string>{std::string(transfer::text::kExclusionEmpty)});
    }

    void stopEndsTheExportAtTheNextRecord()
    {
        transfer::ExportRequest request;
        request.sourceFile = m_data / "Club.gdb";
        request.output = m_data / "stopped.txt";
        request.fields = {"Email Address"};
        ui::ExportProgressDialog progress(request, QStringLiteral("Club"), false, m_prompter);
        progress.findChild<QPushButton*>(QStringLiteral("stopButton"))->click();
        QCOMPARE(progress.findChild<QLabel*>(QStringLiteral("statusLabel"))->text(),
                 QStringLiteral("Stopping Export ..."));
        progress.show();
        QTRY_VERIFY(!progress.isRunning() && progress.outcome().status == transfer::ExportStatus::Stopped);
        QCOMPARE(progress.findChild<QLabel*>(QStringLiteral("statusLabel"))->text(), QStringLiteral("Export Stopped"));
        QCOMPARE(progress.findChild<QLabel*>(QStringLiteral("exportedLabel"))->text(), QStringLiteral("0"));
        QCOMPARE(progress.windowTitle(), QStringLiteral("Export Progress"));
        QCOMPARE(readWholeFile(request.output), std::string());
    }
};

QTEST_MAIN(ExportDialogTest)
#include "ExportDialogTest.moc"
