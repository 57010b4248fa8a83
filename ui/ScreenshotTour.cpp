#include "ui/ScreenshotTour.h"

#include "mailing/SendResults.h"
#include "ui/GroupSetupWidget.h"
#include "ui/MainWindow.h"
#include "ui/SendResultsDialog.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>

#include <deque>
#include <functional>

namespace tidecast::ui
{

namespace
{

constexpr int kSettleMs = 400; // lets a window lay itself out and paint before it is taken

class ScreenshotTour : public QObject
{
public:
    ScreenshotTour(MainWindow& window, const QString& folder)
        : QObject(&window)
        , m_window(window)
        , m_folder(folder)
    {
        QDir().mkpath(folder);
        addTabs();
        addCommands();
        addResults();
        m_steps.emplace_back([this] {
            m_window.setDuplicateInstance(true); // the tour leaves the settings alone
            m_window.close();
        });
    }

    void next()
    {
        if (m_steps.empty()) {
            return;
        }
        auto step = std::move(m_steps.front());
        m_steps.pop_front();
        QTimer::singleShot(kSettleMs, this, [this, step = std::move(step)] {
            step();
            next();
        });
    }

private:
    void take(QWidget* widget, const QString& name)
    {
        // Quality 0 is the strongest compression: smaller files for the same pixels.
        widget->grab().save(m_folder + QLatin1Char('/') + name + QStringLiteral(".png"), "PNG", 0);
    }

    // A window and, where it has tabs, each of them.
    void takeWithTabs(QWidget* widget, const QString& name)
    {
        const auto tabs = widget->findChildren<QTabWidget*>();
        if (tabs.isEmpty()) {
            take(widget, name);
            return;
        }
        QTabWidget* pages = tabs.front();
        for (int i = 0; i < pages->count(); ++i) {
            pages->setCurrentIndex(i);
            QApplication::processEvents();
            take(widget, name + QLatin1Char('-') + QString::number(i + 1));
        }
    }

    // The first group, so that its recipients show and the recipient dialog has a group to add to.
    void selectFirstGroup()
    {
        QTreeView* groups = m_window.groupSetup()->groupsView();
        if (groups->model() != nullptr && groups->model()->rowCount() > 0) {
            groups->setCurrentIndex(groups->model()->index(0, 0));
        }
    }

    void addTabs()
    {
        const char* names[] = {"main-edit-message", "main-group-setup", "main-message-history"};
        for (int tab = 0; tab < 3; ++tab) {
            m_steps.emplace_back([this, tab, name = QString::fromLatin1(names[tab])] {
                selectFirstGroup();
                m_window.tabs()->setCurrentIndex(tab);
                QApplication::processEvents();
                take(&m_window, name);
            });
        }
        m_steps.emplace_back([this] {
            m_window.tabs()->setCurrentIndex(MainWindow::GroupSetupTab);
            m_window.switchToGroupsOnlyView();
            QApplication::processEvents();
            take(&m_window, QStringLiteral("main-groups-only"));
            m_window.switchToGroupsRecipientsView();
            m_window.tabs()->setCurrentIndex(MainWindow::EditMessageTab);
        });
    }

    // Runs a command and takes the dialog it opens (and any it opens in turn), then dismisses it.
    void addCommand(const QString& id, const QString& name)
    {
        m_steps.emplace_back([this, id, name] { whileModal(name, [this, id] { m_window.dispatch(id); }); });
    }

    void whileModal(const QString& name, const std::function<void()>& open)
    {
        auto* watch = new QTimer(this);
        watch->setInterval(kSettleMs);
        int shots = 0;
        connect(watch, &QTimer::timeout, this, [this, name, shots]() mutable {
            QPointer<QWidget> modal = QApplication::activeModalWidget();
            if (modal == nullptr) {
                return;
            }
            takeWithTabs(modal, shots == 0 ? name : name + QStringLiteral("-then-") + QString::number(shots));
            ++shots;
            modal->close();
        });
        watch->start();
        open();
        watch->stop();
        watch->deleteLater();
    }

    void addCommands()
    {
        const std::pair<const char*, const char*> commands[] = {
            {"ID_EmailSettings", "dialog-server-setup"},
            {"ID_MessageSetup", "dialog-message-setup"},
            {"ID_IdentificationSettings", "dialog-identity"},
            {"ID_SpellCheckerSetup", "dialog-spelling-options"},
            {"ID_EditorFontSettings", "dialog-editor-font"},
            {"ID_DBS", "dialog-double-byte"},
            {"ID_FileAttachments", "dialog-attachments"},
            {"ID_SpellCheck", "dialog-spell-check"},
            {"ID_Import", "dialog-import"},
            {"ID_ExportRecipients", "dialog-export"},
            {"ID_ExclusionList", "dialog-exclusion-list"},
            {"ID_Send", "dialog-send-options"},
            {"ID_TechnicalSupport", "dialog-technical-support"},
            {"ID_Plug-ins", "dialog-plugins-help"},
            {"ID_AboutEmberjayTidecast", "dialog-about"},
        };
        for (const auto& [id, name] : commands) {
            addCommand(QString::fromLatin1(id), QString::fromLatin1(name));
        }
        GroupSetupWidget* groups = m_window.groupSetup();
        for (const auto& [button, name] : {std::pair{groups->addGroupButton(), "dialog-add-group"},
                                           {groups->addRecipientButton(), "dialog-add-recipient"}}) {
            m_steps.emplace_back([this, button, name = QString::fromLatin1(name)] {
                m_window.tabs()->setCurrentIndex(MainWindow::GroupSetupTab);
                whileModal(name, [button] { button->click(); });
            });
        }
    }

    void addResults()
    {
        m_steps.emplace_back([this] {
            mailing::SendSummary summary;
            summary.groupName = "Customers";
            summary.subject = "Our winter opening hours";
            summary.result = mailing::SendResult::Completed;
            summary.counters.sent = 398;
            summary.counters.excluded = 1;
            summary.counters.errors = 1;
            summary.groupSize = 400;
            summary.counters.groupSize = 400;
            summary.elapsedSeconds = 83;
            SendResultsDialog results(summary, m_window.paths().dataDir, m_window.prompter(), &m_window);
            results.show();
            QApplication::processEvents();
            take(&results, QStringLiteral("dialog-send-results"));
        });
    }

    MainWindow& m_window;
    QString m_folder;
    std::deque<std::function<void()>> m_steps;
};

} // namespace

void startScreenshotTour(MainWindow& window, const QString& folder)
{
    auto* tour = new ScreenshotTour(window, folder);
    tour->next();
}

} // namespace tidecast::ui
