#include "mailing/SendResults.h"
#include "support/ScriptedPrompter.h"
#include "ui/QtFileChooser.h"
#include "ui/SendResultsDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace tidecast;

namespace
{

// Types a name into the next save dialog, picks a filter and accepts.
void answerNextSaveDialog(const QString& folder, const QString& name, const QString& nameFilter)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [=] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        dialog->setDirectory(folder);
        if (!nameFilter.isEmpty()) {
            // Chosen from the list, as a person does.
            auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            while (types->currentText() != nameFilter && types->currentIndex() + 1 < types->count()) {
                QTest::keyClick(types, Qt::Key_Down);
            }
        }
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(name);
        static_cast<QDialog*>(dialog)->accept(); // as the Save button does
    });
    timer->start();
}

} // namespace

// A name typed into a save dialog gets the chosen filter's extension when it has none, so the
// file shows up again in the matching open dialog.
class FileDialogsTest : public QObject
{
    Q_OBJECT

private slots:
    void saveAddsTheFilterExtensionToATypedName()
    {
        struct Case
        {
            const char* typed;
            const char* filter; // empty: the first one
            const char* saved;
        };
        const Case cases[] = {
            {"letter", "", "letter.tcx"},
            {"letter.tcx", "", "letter.tcx"},
            {"notes.txt", "", "notes.txt"},          // a name with its own extension keeps it
            {"letter", "All Files (*.*)", "letter"}, // nothing to add from "all files"
        };
        QTemporaryDir dir;
        ui::QtFileChooser chooser(nullptr);
        for (const auto& c : cases) {
            answerNextSaveDialog(dir.path(), QString::fromLatin1(c.typed), QString::fromLatin1(c.filter));
            const auto path = chooser.saveFile(
                {"Save Message", "Message Files (*.tcx)|*.tcx|All Files (*.*)|*.*", dir.path().toStdString(), ""});
            QVERIFY2(path.has_value(), c.typed);
            QCOMPARE(QString::fromStdString(path->filename().string()), QString::fromLatin1(c.saved));
        }
    }

    void resultsLogSaveAddsTxt()
    {
        QTemporaryDir dir;
        ScriptedPrompter prompter;
        mailing::SendSummary summary;
        ui::SendResultsDialog dialog(summary, dir.path().toStdString(), prompter);
        answerNextSaveDialog(dir.path(), QStringLiteral("sent"), QString());
        dialog.findChild<QPushButton*>(QStringLiteral("saveButton"))->click();
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("sent.txt"))));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("sent"))));
        QVERIFY(prompter.log().empty());
    }
};

QTEST_MAIN(FileDialogsTest)
#include "FileDialogsTest.moc"
