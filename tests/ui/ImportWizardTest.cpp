#include "ui/ImportWizard.h"

#include "UiTestSupport.h"
#include "common/Text.h"
#include "settings/Settings.h"
#include "store/RecipientStore.h"
#include "support/ScriptedChooser.h"
#include "support/ScriptedPrompter.h"
#include "support/SendTestSupport.h"
#include "ui/ImportProgressDialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>

using namespace tidecast;
using namespace tidecast::ui;

namespace
{

using uitest::child;

// A data folder with one empty group "Customers", and a wizard over it.
struct Fixture
{
    Fixture()
    {
        dataDir = std::filesystem::path(dir.path().toStdString()) / "data";
        std::filesystem::create_directories(dataDir);
        created = test::makeGroup(dataDir, "Customers", {});
    }

    std::unique_ptr<ImportWizard> makeWizard()
    {
        ImportWizard::Services services{prompter,
                                        settings,
                                        dataDir,
                                        chooser,
                                        [] { return std::vector<std::string>{"Customers"}; },
                                        [this](const std::string& name) { return dataDir / (name + ".gdb"); },
                                        {}};
        return std::make_unique<ImportWizard>(std::move(services));
    }

    QTemporaryDir dir;
    std::filesystem::path dataDir;
    bool created = false;
    ScriptedPrompter prompter;
    settings::Settings settings;
    ScriptedChooser chooser;
};

QComboBox* matchUp(QWidget& wizard, int field)
{
    return wizard.findChild<QComboBox*>(QStringLiteral("matchUpCombo%1").arg(field));
}

std::int64_t recipientCount(const std::filesystem::path& path)
{
    store::RecipientStore group;
    if (!group.open(path)) {
        return -1;
    }
    return group.recordCount();
}

} // namespace

class ImportWizardTest : public QObject
{
    Q_OBJECT

private slots:
    // A spreadsheet export of 50,000 rows with a header, a duplicate and a line without the
    // delimiter, walked through every page and imported on the worker thread.
    void importsFiftyThousandRowsFromAFile()
    {
        Fixture f;
        QVERIFY(f.created);
        const auto csv = f.dataDir / "export.csv";
        {
            std::ofstream out(csv, std::ios::binary);
            out << "\xEF\xBB\xBFName,Email,City\r\n";
            for (int i = 0; i < 50000; ++i) {
                out << "\"Lee, Ann " << i << "\",ann" << i << "@example.com,Leeds\r\n";
            }
            out << "Again,ANN7@Example.com,York\r\n";
            out << "no delimiter here\r\n";
        }
        auto wizard = f.makeWizard();
        auto& w = *wizard;
        child<QLineEdit>(w, "pathEdit")->setText(QString::fromStdString(csv.string()));
        w.next();
        QCOMPARE(w.currentPage(), int(ImportWizard::OptionsPage));
        QVERIFY(child<QRadioButton>(w, "delimitedRadio")->isChecked());
        QCOMPARE(child<QComboBox>(w, "delimiterCombo")->currentText(), QStringLiteral("COMMA"));
        QCOMPARE(child<QLineEdit>(w, "fieldCountEdit")->text(), QStringLiteral("3"));
        w.next();
        QCOMPARE(w.currentPage(), int(ImportWizard::MatchUpPage));
        // The header has no address: the first data line decides.
        QCOMPARE(matchUp(w, 0)->currentIndex(), 2);
        QCOMPARE(matchUp(w, 0)->itemText(2), QStringLiteral("Input Field 2    (Email)"));
        matchUp(w, 8)->setCurrentIndex(3); // City
        w.next();
        QCOMPARE(w.currentPage(), int(ImportWizard::FiltersPage));
        w.next();
        QCOMPARE(w.currentPage(), int(ImportWizard::DestinationPage));
        QVERIFY(f.prompter.log().empty());
        w.next();
        QCOMPARE(f.prompter.texts(),
                 std::vector<std::string>{"Please select a valid destination Group for the data to be imported."});
        f.prompter.clear();
        auto* groups = child<QListWidget>(w, "groupList");
        QCOMPARE(groups->count(), 1);
        groups->setCurrentRow(0);
        w.next();
        QCOMPARE(w.currentPage(), int(ImportWizard::StartPage));

        std::vector<std::filesystem::path> opened;
        transfer::ImportSummary summary;
        w.setProgressHook([&](ImportProgressDialog& progress) {
            progress.setReportOpener([&](const std::filesystem::path& path) {
                opened.push_back(path);
                return true;
            });
            connect(&progress, &ImportProgressDialog::importFinished, &progress, [&progress, &summary] {
                summary = progress.summary();
                QVERIFY(!progress.isRunning());
                QCOMPARE(child<QPushButton>(progress, "stopButton")->text(), QStringLiteral("&Close"));
                QCOMPARE(child<QLabel>(progress, "addedCountLabel")->text(), QStringLiteral("50000"));
                progress.stopOrClose();
            });
        });
        f.prompter.queue(Answer::Yes);
        child<QPushButton>(w, "startButton")->click();

        QCOMPARE(summary.counts, (transfer::ImportCounts{50000, 1, 0, 2}));
        QCOMPARE(summary.ending, transfer::ImportEnding::Completed);
        QCOMPARE(f.prompter.texts(), std::vector<std::string>{"Tidecast was unable to import some of Recipients "
                                                              "contained in the import data.\r\nWould you like to "
                                                              "review the ones that failed?"});
        QCOMPARE(opened.size(), std::size_t{1});
        QCOMPARE(opened.front(), f.dataDir / "Illegal Import Data.txt");
        // The report's lines are the engine's; its layout line shows the match-up reached it.
        const auto report = readWholeFile(opened.front());
        QVERIFY(report.find("# Expected Field layout :Field 2, Field 3\r\n") != std::string::npos);
        QCOMPARE(recipientCount(f.dataDir / "Customers.gdb"), std::int64_t{50000});
        QVERIFY(child<QLabel>(w, "importMoreLabel")->isVisibleTo(&w));
        QCOMPARE(child<QPushButton>(w, "cancelButton")->text(), QStringLiteral("&Close"));
    }

    // The semicolon example, the count limits and the source page's refusals.
    void pagesCheckAndGuessAsTheCoreSays()
    {
        Fixture f;
        auto wizard = f.makeWizard();
        auto& w = *wizard;
        w.next();
        QCOMPARE(w.currentPage(), int(ImportWizard::SourcePage));
        QCOMPARE(f.prompter.texts(), std::vector<std::string>{"Please select a valid file to import first."});
        f.prompter.clear();

        const auto data = f.dataDir / "people.txt";
        std::ofstream(data, std::ios::binary) << "ann@x.example;Ann;Leeds\r\n";
        child<QLineEdit>(w, "pathEdit")->setText(QString::fromStdString(data.string()));
        w.next();
        QCOMPARE(child<QComboBox>(w, "delimiterCombo")->currentText(), QStringLiteral(";"));
        QCOMPARE(child<QLineEdit>(w, "fieldCountEdit")->text(), QStringLiteral("3"));
        child<QLineEdit>(w, "fieldCountEdit")->setText(QStringLiteral("250"));
        w.next();
        QCOMPARE(child<QLineEdit>(w, "fieldCountEdit")->text(), QStringLiteral("200"));
        QCOMPARE(matchUp(w, 0)->count(), 201);
        QCOMPARE(matchUp(w, 0)->currentIndex(), 1);
        // The whole name and the four name lists take turns.
        QVERIFY(!matchUp(w, 1)->isEnabled());
        QVERIFY(matchUp(w, 3)->isEnabled());
        matchUp(w, 0)->setCurrentIndex(0);
        w.next();
        QCOMPARE(w.currentPage(), int(ImportWizard::MatchUpPage));
        QCOMPARE(f.prompter.texts(), std::vector<std::string>{"You must match up the Email Address field in the "
                                                              "import file to the Email Address field in the "
                                                              "Tidecast database."});
        w.previous();
        w.previous();
        QCOMPARE(w.currentPage(), int(ImportWizard::SourcePage));
        QCOMPARE(child<QPushButton>(w, "cancelButton")->text(), QStringLiteral("&Cancel"));
    }

    // A saved layout comes back; a layout for another count asks first.
    void layoutsSaveAndLoadThroughTheCore()
    {
        Fixture f;
        auto wizard = f.makeWizard();
        auto& w = *wizard;
        const auto data = f.dataDir / "people.csv";
        std::ofstream(data, std::ios::binary) << "Ann,Lee,ann@x.example,Leeds\r\n";
        child<QLineEdit>(w, "pathEdit")->setText(QString::fromStdString(data.string()));
        w.next();
        w.next();
        QCOMPARE(matchUp(w, 0)->currentIndex(), 3);
        matchUp(w, 3)->setCurrentIndex(1);
        matchUp(w, 5)->setCurrentIndex(2);
        const auto layout = f.dataDir / "people";
        f.chooser.answers = {layout};
        w.saveLayout();
        QCOMPARE(f.prompter.texts(),
                 std::vector<std::string>{"Import Layout List saved to \r\n" + (f.dataDir / "people.gil").string()});
        f.prompter.clear();

        matchUp(w, 0)->setCurrentIndex(0);
        matchUp(w, 3)->setCurrentIndex(0);
        f.chooser.answers = {f.dataDir / "missing.gil", f.dataDir / "people.gil"};
        w.openLayout();
        QVERIFY(f.prompter.log().empty());
        QCOMPARE(matchUp(w, 0)->currentIndex(), 3);
        QCOMPARE(matchUp(w, 3)->currentIndex(), 1);
        QCOMPARE(matchUp(w, 5)->currentIndex(), 2);

        child<QLineEdit>(w, "fieldCountEdit")->setText(QStringLiteral("5"));
        matchUp(w, 0)->setCurrentIndex(1);
        f.chooser.answers = {f.dataDir / "people.gil"};
        f.prompter.queue(Answer::No);
        w.openLayout();
        QCOMPARE(f.prompter.log().size(), std::size_t{1});
        QVERIFY(f.prompter.log().front().question);
        QCOMPARE(matchUp(w, 0)->currentIndex(), 1);
        QCOMPARE(child<QLineEdit>(w, "fieldCountEdit")->text(), QStringLiteral("5"));
    }
};

QTEST_MAIN(ImportWizardTest)
#include "ImportWizardTest.moc"
