#include "ui/AttachmentsDialog.h"

#include "support/ScriptedPrompter.h"

#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace tidecast;
using namespace tidecast::ui;

namespace
{

std::string native(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdString();
}

} // namespace

class AttachmentsDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void addsPickedFilesAndRefusesDuplicates()
    {
        ScriptedPrompter prompter;
        AttachmentsDialog dialog({}, prompter);
        QStringList picked;
        QStringList startFolders;
        dialog.setFilePicker([&](QWidget*, const QString& folder) {
            startFolders << folder;
            return picked;
        });
        QVERIFY(dialog.addButton()->isEnabled());
        QVERIFY(!dialog.removeButton()->isEnabled());

        // Cancelling the file dialog changes nothing and says nothing.
        dialog.addButton()->click();
        QVERIFY(dialog.paths().empty());
        QVERIFY(prompter.texts().empty());

        picked = {QStringLiteral("/srv/docs/a.txt"), QStringLiteral("/srv/docs/b.txt")};
        dialog.addButton()->click();
        QCOMPARE(dialog.paths(), (std::vector<std::string>{native(picked[0]), native(picked[1])}));
        QCOMPARE(dialog.workingList()->count(), 2);
        QVERIFY(dialog.removeButton()->isEnabled());
        QCOMPARE(dialog.currentFolder(), QDir::toNativeSeparators(QStringLiteral("/srv/docs")));

        // One new and one already listed: the new one goes in, the other is refused.
        picked = {QStringLiteral("/srv/docs/b.txt"), QStringLiteral("/srv/more/c.txt")};
        dialog.addButton()->click();
        QCOMPARE(prompter.texts(), std::vector<std::string>{"This file already exists in the list"});
        QCOMPARE(prompter.log().back().icon, Icon::Exclamation);
        QCOMPARE(dialog.paths().size(), 3u);
        QCOMPARE(dialog.paths().back(), native(picked[1]));
        QCOMPARE(startFolders.last(), QDir::toNativeSeparators(QStringLiteral("/srv/docs")));

        dialog.workingList()->setCurrentRow(0);
        dialog.removeButton()->click();
        QCOMPARE(dialog.paths().front(), native(QStringLiteral("/srv/docs/b.txt")));
        dialog.clearButton()->click();
        QVERIFY(dialog.paths().empty());
        QVERIFY(!dialog.clearButton()->isEnabled());
    }

    void reopensOnTheFolderFilesCameFromLast()
    {
        ScriptedPrompter prompter;
        {
            AttachmentsDialog first({}, prompter);
            first.setFilePicker([](QWidget*, const QString&) { return QStringList{QStringLiteral("/opt/x/y.pdf")}; });
            first.addButton()->click();
        }
        AttachmentsDialog second({"/x/kept.txt"}, prompter);
        QString startedIn;
        second.setFilePicker([&](QWidget*, const QString& folder) {
            startedIn = folder;
            return QStringList{};
        });
        second.addButton()->click();
        QCOMPARE(startedIn, QDir::toNativeSeparators(QStringLiteral("/opt/x")));
        QCOMPARE(second.workingList()->count(), 1);
    }
};

QTEST_MAIN(AttachmentsDialogTest)
#include "AttachmentsDialogTest.moc"
