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
    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedPrompter m_prompter;
    std::unique_ptr<MainWindow> m_window;
    int m_loads = 0; // reloads of the group list

    // A window with the plug-in feature, started on a data folder whose settings list `tools`
    // (entry number, name, program).
    void startWindow(const std::vector<std::tuple<int, QString, QString>>& tools)
    {
        const auto paths = uitest::pathsUnder(m_dir->path());
        for (const auto& [number, name, program] : tools) {
            const std::string suffix = std::to_string(number);
            settings::writeValue(paths.settingsFile(), "Plugins", "Plugin" + suffix, program.toStdString());
            settings::writeValue(paths.settingsFile(), "Plugins", "PluginName" + suffix, name.toStdString());
        }
        m_window = std::make_unique<MainWindow>(paths, m_prompter);
        installPluginsFeature(*m_window);
        m_window->hooks().loadGroups = [this] { ++m_loads; };
        m_window->start(QString());
        m_loads = 0;
    }

    QString writeTool(const char* name, bool executable) const
    {
        const QString path = m_dir->filePath(QString::fromLatin1(name));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("#!/bin/sh\nprintf '%s\\n' \"$#\" \"$1\" > \"$0.args\"\n");
        file.setPermissions(executable ? file.permissions() | QFileDevice::ExeOwner : QFileDevice::ReadOwner);
        return path;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_prompter = ScriptedPrompter();
    }

    void cleanup()
    {
        m_window.reset();
        m_dir.reset();
    }

    void menuListsToolsUntilShutdown()
    {
        const QString tool = writeTool("tool", true);
        startWindow({{2, QStringLiteral("Two"), tool}, {5, QStringLiteral("Five"), tool}});
        QMenu* menu = m_window->menuById(QStringLiteral("ID_PlugMenu"));
        QCOMPARE(menuIds(menu), QString::fromLatin1("ID_Plug-ins ID_uPlugin2 ID_uPlugin5").split(QLatin1Char(' ')));
        QCOMPARE(menu->actions().at(2)->text(), QStringLiteral("Five"));

        m_window->saveOnShutdown();
        QCOMPARE(menuIds(menu), QStringList{QStringLiteral("ID_Plug-ins")});
    }

    void toolRunsWhileTheWindowWaits()
    {
        const QString tool = writeTool("tool", true);
        startWindow({{1, QStringLiteral("Tool"), tool}});
        int closes = 0;
        m_window->hooks().closeOpenDatabase = [&closes] { ++closes; };

        m_window->findChild<QAction*>(QStringLiteral("ID_uPlugin1"))->trigger();
        auto* process = m_window->findChild<QProcess*>(QStringLiteral("pluginProcess"));
        QVERIFY(process != nullptr);
        QSignalSpy finished(process, &QProcess::finished);
        QVERIFY(!m_window->isEnabled());
        QVERIFY(m_window->windowState() & Qt::WindowMinimized);
        QCOMPARE(closes, 1);

        QVERIFY(finished.wait());
        QVERIFY(m_window->isEnabled());
        QVERIFY(!(m_window->windowState() & Qt::WindowMinimized));
        QCOMPARE(m_loads, 1);
        QFile arguments(tool + QStringLiteral(".args"));
        QVERIFY(arguments.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(arguments.readAll()),
                 QStringLiteral("1\n/G%1\n").arg(QString::fromStdString(m_window->paths().dataFolder())));
        QVERIFY(m_prompter.log().empty());
    }

    void toolThatCannotStartIsReported()
    {
        const QString tool = writeTool("locked", false);
        startWindow({{3, QStringLiteral("Locked"), tool}});

        m_window->dispatch(QStringLiteral("ID_uPlugin3"));
        QCOMPARE(m_prompter.texts(), std::vector<std::string>{"Unable to launch: Locked\n\n" + tool.toStdString()});
        QVERIFY(m_window->isEnabled());
        QVERIFY(!(m_window->windowState() & Qt::WindowMinimized));
        QCOMPARE(m_loads, 0);
    }

    void helpTellsWhereToolsAreListedAndWhatTheyAreGiven()
    {
        startWindow({});
        QAction* help = m_window->commandAction(QStringLiteral("ID_Plug-ins"));
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
        QVERIFY2(details.contains(QString::fromStdString(m_window->paths().dataFolder()).toHtmlEscaped()),
                 qPrintable(details));
    }
};

QTEST_MAIN(PluginsFeatureTest)
#include "PluginsFeatureTest.moc"
