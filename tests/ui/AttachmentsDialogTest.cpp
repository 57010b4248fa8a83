#include "ui/AttachmentsDialog.h"

#include "common/Text.h"
#include "support/ScriptedPrompter.h"

#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace tidecast;
using namespace tidecast::ui;

class AttachmentsDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void addsFromTheFolderAndRefusesDuplicates()
    {
        QTemporaryDir dir;
        QVERIFY(writeWholeFile((dir.path() + QStringLiteral("/a.txt")).toStdString(), "a"));
        QVERIFY(writeWholeFile((dir.path() + QStringLiteral("/b.txt")).toStdString(), "b"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("empty")));
        ScriptedPrompter prompter;
        AttachmentsDialog dialog({}, prompter);
        dialog.show();
        dialog.setCurrentFolder(dir.path());
        QCOMPARE(dialog.fileList()->count(), 2);
        QVERIFY(dialog.addButton()->isEnabled());
        QVERIFY(!dialog.removeButton()->isEnabled());
        QVERIFY(!dialog.clearButton()->isEnabled());

        dialog.addButton()->click();
        QCOMPARE(prompter.texts(), std::vector<std::string>{"Please select a file to add first"});

        dialog.fileList()->setCurrentRow(0);
        dialog.addButton()->click();
        dialog.addButton()->click();
        QCOMPARE(prompter.texts().back(), std::string("This file already exists in the list"));
        QCOMPARE(prompter.log().back().icon, Icon::Exclamation);
        QCOMPARE(dialog.paths(), std::vector<std::string>{(dir.path() + QStringLiteral("/a.txt")).toStdString()});
        QCOMPARE(dialog.workingList()->count(), 1);
        QVERIFY(dialog.removeButton()->isEnabled());

        dialog.fileList()->setCurrentRow(1);
        dialog.addButton()->click();
        QCOMPARE(dialog.paths().size(), 2u);
        dialog.workingList()->setCurrentRow(0);
        dialog.removeButton()->click();
        QCOMPARE(dialog.paths(), std::vector<std::string>{(dir.path() + QStringLiteral("/b.txt")).toStdString()});
        dialog.clearButton()->click();
        QVERIFY(dialog.paths().empty());
        QVERIFY(!dialog.clearButton()->isEnabled());

        // A folder without files offers nothing to add.
        dialog.setCurrentFolder(dir.path() + QStringLiteral("/empty"));
        QVERIFY(!dialog.addButton()->isEnabled());
    }

    void reopensOnTheFolderItShowedLast()
    {
        QTemporaryDir dir;
        ScriptedPrompter prompter;
        {
            AttachmentsDialog first({}, prompter);
            first.setCurrentFolder(dir.path());
        }
        AttachmentsDialog second({"/x/kept.txt"}, prompter);
        QCOMPARE(second.currentFolder(), dir.path());
        QCOMPARE(second.workingList()->count(), 1);
    }
};

QTEST_MAIN(AttachmentsDialogTest)
#include "AttachmentsDialogTest.moc"
