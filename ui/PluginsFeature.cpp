#include "ui/PluginsFeature.h"

#include "settings/PluginTools.h"
#include "ui/MainWindow.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>

namespace tidecast::ui
{

namespace
{

// What the plug-in menu is and how a tool is listed and started.
void showPluginHelp(MainWindow& window)
{
    QMessageBox help(QMessageBox::Information, QObject::tr("About Plug-ins"),
                     QObject::tr("Plug-ins are programs that work on your groups while Tidecast waits."),
                     QMessageBox::Ok, &window);
    help.setObjectName(QStringLiteral("pluginHelpDialog"));
    help.setInformativeText(
        QObject::tr("<p>Up to fifteen are listed in the settings file ej.dat, in the section [Plugins]: "
                    "<b>Plugin</b><i>N</i> names the program and <b>PluginName</b><i>N</i> the name shown in "
                    "this menu, for <i>N</i> from 1 to 15. An entry shows only when its program exists.</p>"
                    "<p>Choosing one closes the groups and starts the program with one argument, "
                    "<b>/G</b> followed by the data folder:<br><tt>%1</tt></p>"
                    "<p>This window stays minimised until the program ends, and then reads the group list "
                    "again, since the program may have changed it.</p>")
            .arg(QString::fromStdString(settings::pluginArgument(window.paths())).toHtmlEscaped()));
    help.exec();
}

class PluginsFeature : public QObject
{
public:
    explicit PluginsFeature(MainWindow& window)
        : QObject(&window)
        , m_window(window)
    {}

    void load()
    {
        QMenu* menu = m_window.menuById(QStringLiteral("ID_PlugMenu"));
        for (const auto& entry : settings::pluginMenuEntries(m_window.paths())) {
            if (entry.isSeparator()) {
                m_items << menu->addSeparator();
                continue;
            }
            const QString id = QString::fromStdString(entry.id);
            QAction* action = menu->addAction(QString::fromStdString(entry.caption));
            action->setObjectName(id);
            action->setStatusTip(QString::fromStdString(entry.program));
            connect(action, &QAction::triggered, this, [this, id] { m_window.dispatch(id); });
            m_window.registerCommand(id, [this, entry] { run(entry); });
            m_items << action;
        }
    }

    // The saved menu layout never holds the tools' items.
    void remove()
    {
        QMenu* menu = m_window.menuById(QStringLiteral("ID_PlugMenu"));
        for (QAction* item : std::as_const(m_items)) {
            menu->removeAction(item);
            delete item;
        }
        m_items.clear();
    }

private:
    void run(const settings::PluginMenuEntry& plugin)
    {
        if (m_window.hooks().closeOpenDatabase) {
            m_window.hooks().closeOpenDatabase();
        }
        auto* process = new QProcess(this);
        process->setObjectName(QStringLiteral("pluginProcess"));
        process->setProgram(QString::fromStdString(plugin.program));
        // One argument, never through a shell: the folder may hold blanks.
        process->setArguments({QString::fromStdString(settings::pluginArgument(m_window.paths()))});
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        connect(process, &QProcess::finished, this, [this, process] { finished(process); });
        process->start();
        if (!process->waitForStarted(-1)) {
            delete process;
            settings::reportPluginLaunchFailure(m_window.prompter(), plugin);
            return;
        }
        m_window.showMinimized();
        m_window.setEnabled(false);
    }

    void finished(QProcess* process)
    {
        process->deleteLater();
        m_window.setEnabled(true);
        m_window.showNormal();
        m_window.raise();
        m_window.activateWindow();
        // The tool may have changed the groups.
        if (m_window.hooks().loadGroups) {
            m_window.hooks().loadGroups();
        }
    }

    MainWindow& m_window;
    QList<QAction*> m_items;
};

} // namespace

void installPluginsFeature(MainWindow& window)
{
    auto* feature = new PluginsFeature(window);
    window.hooks().loadPlugins = [feature] { feature->load(); };
    window.hooks().removePlugins = [feature] { feature->remove(); };
    window.registerCommand(QStringLiteral("ID_Plug-ins"), [&window] { showPluginHelp(window); });
}

} // namespace tidecast::ui
