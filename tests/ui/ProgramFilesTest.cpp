#include "ui/ProgramFiles.h"

#include "common/Text.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace tidecast;
using namespace tidecast::ui;

class ProgramFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void findsTheFileBesideTheProgramOrInTheInstalledTree_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("programDir");
        QTest::addColumn<QString>("expected");
        const QString help = QStringLiteral("/tidecast-help.html");
        QTest::newRow("build folder") << QStringList{QStringLiteral("build/app") + help} << QStringLiteral("build/app")
                                      << QStringLiteral("build/app") + help;
        QTest::newRow("installed tree") << QStringList{QStringLiteral("opt/share/tidecast") + help}
                                        << QStringLiteral("opt/bin") << QStringLiteral("opt/share/tidecast") + help;
        QTest::newRow("beside the program wins")
            << QStringList{QStringLiteral("opt/bin") + help, QStringLiteral("opt/share/tidecast") + help}
            << QStringLiteral("opt/bin") << QStringLiteral("opt/bin") + help;
        QTest::newRow("another program's data folder")
            << QStringList{QStringLiteral("opt/share/other") + help} << QStringLiteral("opt/bin") << QString();
        QTest::newRow("a folder of that name") << QStringList{QStringLiteral("opt/bin") + help + QStringLiteral("/x")}
                                               << QStringLiteral("opt/bin") << QString();
    }

    void findsTheFileBesideTheProgramOrInTheInstalledTree()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, programDir);
        QFETCH(QString, expected);
        QTemporaryDir root;
        const QDir dir(root.path());
        for (const QString& file : files) {
            QVERIFY(dir.mkpath(QFileInfo(dir.filePath(file)).path()));
            QVERIFY(writeWholeFile(dir.filePath(file).toStdString(), "<html></html>"));
        }
        QVERIFY(dir.mkpath(programDir));
        const QString found = findProgramFile(dir.filePath(programDir), QStringLiteral("tidecast-help.html"));
        QCOMPARE(found, expected.isEmpty() ? QString() : dir.filePath(expected));
    }
};

QTEST_MAIN(ProgramFilesTest)
#include "ProgramFilesTest.moc"
