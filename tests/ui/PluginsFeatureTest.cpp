#include "ui/PluginsFeature.h"

#include "UiTestSupport.h"
#include "settings/SettingsStore.h"
#include "support/ScriptedPrompter.h"
#include "ui/MainWindow.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <tuple>
#include <vector>

using namespace tidecast;
using namespace tidecast::ui;

namespace
{

QStringList menuIds(const QMenu* menu)
{
    QStringList ids;
    for (QAction* action : menu->actions()) {
        ids << (action->isSeparator() ? QStringLiteral("|") : action->objectName());
    }
    return ids;
}

} // namespace

class PluginsFeatureTest : public QObject
{
    Q_OBJECT

private:
    // A window with the plug-in feature, started on a data folder whose settings list `tools`
    // (entry number, name, program); `loads` counts the reloads of the group list.
    std::unique_ptr<MainWindow> startWindow(const QTemporaryDir& dir, ScriptedPrompter& prompter,
                                            const std::vector<std::tuple<int, QString, QString>>& tools, int& loads)
    {
        const auto paths = uitest::pathsUnder(dir.path());
        for (const auto& [number, name, program] : tools) {
            const std::string suffix = std::to_string(number);
            settings::writeValue(paths.settingsFile(), "Plugins", "Plugin" + suffix, program.toStdString());
            settings::writeValue(paths.settingsFile(), "Plugins", "PluginName" + suffix, name.toStdString());
        }
        auto window = std::make_unique<MainWindow>(paths, prompter);
        installPluginsFeature(*window);
        window->hooks().loadGroups = [&loads] { ++loads; };
        window->start(QString());
        loads = 0;
        return window;
    }

    static QString writeTool(const QTemporaryDir& dir, const char* name, bool executable)
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("#!/bin/sh\nprintf '%s\\n' \"$#\" \"$1\" > \"$0.args\"\n");
        file.setPermissions(executable ? file.permissions() | QFileDevice::ExeOwner : QFileDevice::ReadOwner);
        return path;
    }

private slots:
    void menuListsToolsUntilShutdown()
    {
        QTemporaryDir dir;
        ScriptedPrompter prompter;
        int loads = 0;
        const QString tool = writeTool(dir, "tool", true);
        auto window =
            startWindow(dir, prompter, {{2, QStringLiteral("Two"), tool}, {5, QStringLiteral("Five"), tool}}, loads);
        QMenu* menu = window->menuById(QStringLiteral("ID_PlugMenu"));
        QCOMPARE(menuIds(menu), QString::fromLatin1("ID_Plug-ins ID_uPlugin2 ID_uPlugin5").split(QLatin1Char(' ')));
        QCOMPARE(menu->actions().at(2)->text(), QStringLiteral("Five"));

        window->saveOnShutdown();
        QCOMPARE(menuIds(menu), QStringList{QStringLiteral("ID_Plug-ins")});
    }

    void toolRunsWhileTheWindowWaits()
    {
        QTemporaryDir dir;
        ScriptedPrompter prompter;
        int loads = 0;
        const QString tool = writeTool(dir, "tool", true);
        auto window = startWindow(dir, prompter, {{1, QStringLiteral("Tool"), tool}}, loads);
        int closes = 0;
        window->hooks().closeOpenDatabase = [&closes] { ++closes; };

        window->findChild<QAction*>(QStringLiteral("ID_uPlugin1"))->trigger();
        auto* process = window->findChild<QProcess*>(QStringLiteral("pluginProcess"));
        QVERIFY(process != nullptr);
        QSignalSpy finished(process, &QProcess::finished);
        QVERIFY(!window->isEnabled());
        QVERIFY(window->windowState() & Qt::WindowMinimized);
        QCOMPARE(closes, 1);

        QVERIFY(finished.wait());
        QVERIFY(window->isEnabled());
        QVERIFY(!(window->windowState() & Qt::WindowMinimized));
        QCOMPARE(loads, 1);
        QFile arguments(tool + QStringLiteral(".args"));
        QVERIFY(arguments.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(arguments.readAll()),
                 QStringLiteral("1\n/G%1\n").arg(QString::fromStdString(window->paths().dataFolder())));
        QVERIFY(prompter.log().empty());
    }

    void helpTellsWhereToolsAreListedAndWhatTheyAreGiven()
    {
        QTemporaryDir dir;
        ScriptedPrompter prompter;
        int loads = 0;
        auto window = startWindow(dir, prompter, {}, loads);
        QAction* help = window->commandAction(QStringLiteral("ID_Plug-ins"));
        QVERIFY(help->isEnabled());
        QString title;
        QString details;
        uitest::whenModal<QMessageBox>([&](QMessageBox* box) {
            title = box->windowTitle();
            details = box->informativeText();
            box->accept();
        });
        help->trigger();
        QCOMPARE(title, QStringLiteral("About Plug-ins"));
        QVERIFY2(details.contains(QStringLiteral("[Plugins]")), qPrintable(details));
        QVERIFY2(details.contains(QString::fromStdString(window->paths().dataFolder()).toHtmlEscaped()),
                 qPrintable(details));
    }

    void toolThatCannotStartIsReported()
    {
        QTemporaryDir dir;
        ScriptedPrompter prompter;
        int loads = 0;
        const QString tool = writeTool(dir, "locked", false);
        auto window = startWindow(dir, prompter, {{3, QStringLiteral("Locked"), tool}}, loads);

        window->dispatch(QStringLiteral("ID_uPlugin3"));
        QCOMPARE(prompter.texts(), std::vector<std::string>{"Unable to launch: Locked\n\n" + tool.toStdString()});
        QVERIFY(window->isEnabled());
        QVERIFY(!(window->windowState() & Qt::WindowMinimized));
        QCOMPARE(loads, 0);
    }
};

QTEST_MAIN(PluginsFeatureTest)
#include "PluginsFeatureTest.moc"
