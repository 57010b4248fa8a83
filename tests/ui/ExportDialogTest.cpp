#include "ui/ExportDialog.h"

#include "UiTestSupport.h"
#include "common/Text.h"
#include "support/ScriptedChooser.h"
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

using namespace tidecast;
using uitest::child;

namespace
{

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
            status = child<QLabel>(progress, "statusLabel")->text();
            QCOMPARE(child<QPushButton>(progress, "stopButton")->text(), QStringLiteral("&Close"));
        });
        child<QPushButton>(dialog, "startButton")->click();
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
        auto* start = child<QPushButton>(*dialog, "startButton");
        start->click();
        child<QLineEdit>(*dialog, "outputLineEdit")->setText(QStringLiteral("/tmp/x.txt"));
        start->click();
        QCOMPARE(m_prompter.log(), (std::vector<ScriptedPrompter::Entry>{
                                       {std::string(transfer::text::kSelectOutputFile), Icon::Critical, false},
                                       {std::string(transfer::text::kSelectFields), Icon::Critical, false}}));
    }

    void exportsTheChosenFieldsAndRemembersThePath()
    {
        auto dialog = makeDialog(transfer::ExportMode::Groups, "Team");
        QCOMPARE(child<QComboBox>(*dialog, "sourceComboBox")->currentText(), QStringLiteral("Team"));
        child<QComboBox>(*dialog, "sourceComboBox")->setCurrentIndex(0);
        QCOMPARE(dialog->source().name, std::string("Club"));

        const auto output = m_data / "out" / "club.txt";
        std::filesystem::create_directories(output.parent_path());
        m_chooser.answers.push_back(output);
        child<QPushButton>(*dialog, "selectButton")->click();
        QCOMPARE(m_chooser.requests.size(), std::size_t(1));
        QCOMPARE(m_chooser.requests[0].defaultName, std::string("Club.txt"));
        QCOMPARE(m_chooser.requests[0].filter, std::string(transfer::text::kOutputFileTypes));
        QCOMPARE(m_settings.lastExportFolder, output.parent_path().string());

        auto* fields = child<QListWidget>(*dialog, "fieldsListWidget");
        selectFields(fields, {QStringLiteral("Email Address"), QStringLiteral("First Name")});
        // Moving "First Name" above "Email Address" keeps it selected and changes the column order.
        fields->setCurrentRow(3, QItemSelectionModel::NoUpdate);
        for (int i = 0; i < 3; ++i) {
            child<QPushButton>(*dialog, "moveUpButton")->click();
        }
        QCOMPARE(itemTexts(fields, true), (QStringList{QStringLiteral("First Name"), QStringLiteral("Email Address")}));
        child<QCheckBox>(*dialog, "headerCheckBox")->setChecked(true);

        QCOMPARE(runExport(*dialog), QStringLiteral("Export Completed"));
        QCOMPARE(readWholeFile(output), std::string("First Name, Email Address\r\nFirst,c@example.test\r\n"
                                                    "First,a@example.test\r\nFirst,b@example.test\r\n"));
        QVERIFY(m_prompter.log().empty());

        // Chosen again later, the group proposes the same file; another group proposes none.
        auto again = makeDialog(transfer::ExportMode::Groups, "Club");
        auto* outputEdit = child<QLineEdit>(*again, "outputLineEdit");
        QCOMPARE(outputEdit->text().toStdString(), output.string());
        child<QComboBox>(*again, "sourceComboBox")->setCurrentIndex(1);
        QCOMPARE(outputEdit->text(), QString());
    }

    void sortIsRefusedUnderDoubleByteSafetyAndSortsTheGroupOtherwise()
    {
        m_settings.safeDelete = true;
        auto dialog = makeDialog(transfer::ExportMode::Groups);
        auto* sort = child<QCheckBox>(*dialog, "sortCheckBox");
        sort->setChecked(true);
        QVERIFY(!sort->isChecked());
        QCOMPARE(m_prompter.texts(), std::vector<std::string>{std::string(transfer::text::kSortUnavailable)});
        QCOMPARE(m_prompter.log()[0].icon, Icon::Information);

        m_settings.safeDelete = false;
        m_prompter.clear();
        sort->setChecked(true);
        QVERIFY(sort->isChecked());
        child<QComboBox>(*dialog, "sortComboBox")->setCurrentText(QStringLiteral("Email Address"));
        const auto output = m_data / "sorted.txt";
        child<QLineEdit>(*dialog, "outputLineEdit")->setText(QString::fromStdString(output.string()));
        selectFields(child<QListWidget>(*dialog, "fieldsListWidget"), {QStringLiteral("Email Address")});
        QCOMPARE(runExport(*dialog), QStringLiteral("Export Completed"));
        QCOMPARE(readWholeFile(output), std::string("a@example.test\r\nb@example.test\r\nc@example.test\r\n"));
    }

    void selectAllTogglesAndTheExclusionModeOffersItsOwnFields()
    {
        QVERIFY(
            transfer::ExclusionList().save(transfer::ExclusionList::filePath(m_data), transfer::ExclusionBackup::None));
        auto dialog = makeDialog(transfer::ExportMode::ExclusionList);
        auto* source = child<QComboBox>(*dialog, "sourceComboBox");
        auto* fields = child<QListWidget>(*dialog, "fieldsListWidget");
        auto* selectAll = child<QPushButton>(*dialog, "selectAllButton");
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
        QCOMPARE(child<QComboBox>(*dialog, "sortComboBox")->count(), 21);

        // The empty list is refused by the export itself, and the progress window closes.
        source->setCurrentIndex(0);
        selectAll->click();
        child<QLineEdit>(*dialog, "outputLineEdit")->setText(QString::fromStdString((m_data / "ex.txt").string()));
        bool refused = false;
        dialog->setProgressHook([&refused](ui::ExportProgressDialog& progress) {
            progress.show();
            QTRY_VERIFY(!progress.isRunning() && progress.isHidden());
            refused = progress.outcome().status == transfer::ExportStatus::Refused;
        });
        child<QPushButton>(*dialog, "startButton")->click();
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
        child<QPushButton>(progress, "stopButton")->click();
        QCOMPARE(child<QLabel>(progress, "statusLabel")->text(), QStringLiteral("Stopping Export ..."));
        progress.show();
        QTRY_VERIFY(!progress.isRunning() && progress.outcome().status == transfer::ExportStatus::Stopped);
        QCOMPARE(child<QLabel>(progress, "statusLabel")->text(), QStringLiteral("Export Stopped"));
        QCOMPARE(child<QLabel>(progress, "exportedLabel")->text(), QStringLiteral("0"));
        QCOMPARE(progress.windowTitle(), QStringLiteral("Export Progress"));
        QCOMPARE(readWholeFile(request.output), std::string());
    }
};

QTEST_MAIN(ExportDialogTest)
#include "ExportDialogTest.moc"
