#include "ui/MainWindow.h"

#include "UiTestSupport.h"
#include "common/Text.h"
#include "settings/SettingsStore.h"
#include "support/ScriptedPrompter.h"
#include "ui/ComposerWidget.h"
#include "ui/Features.h"
#include "ui/GroupSetupWidget.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QIcon>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSplashScreen>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>

using namespace tidecast;
using namespace tidecast::ui;

namespace
{

QStringList actionIds(const QMenu* menu)
{
    QStringList ids;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            ids << QStringLiteral("|");
        } else if (action->menu() != nullptr) {
            ids << action->menu()->objectName();
        } else {
            ids << action->objectName();
        }
    }
    return ids;
}

// What is wrong with the mnemonics of the buttons under `window`: a button without one, or two
// buttons sharing a letter. The OK and Cancel of a button box answer to Enter and Escape instead.
QStringList mnemonicFaults(const QWidget& window)
{
    QStringList faults;
    QHash<QChar, QString> taken;
    for (const QPushButton* button : window.findChildren<QPushButton*>()) {
        const QString text = button->text();
        const bool inButtonBox = qobject_cast<QDialogButtonBox*>(button->parentWidget()) != nullptr;
        if (inButtonBox || text.isEmpty() || !text.contains(QRegularExpression(QStringLiteral("\\w")))) {
            continue; // "..." browse buttons have nothing to underline
        }
        const qsizetype at = text.indexOf(QRegularExpression(QStringLiteral("&[^&]")));
        if (at < 0) {
            faults << QStringLiteral("no mnemonic: ") + text;
            continue;
        }
        const QChar letter = text.at(at + 1).toLower();
        if (taken.contains(letter)) {
            faults << QStringLiteral("shared mnemonic: ") + taken.value(letter) + QStringLiteral(" / ") + text;
        }
        taken.insert(letter, text);
    }
    return faults;
}

QStringList split(const char* ids)
{
    return QString::fromLatin1(ids).split(QLatin1Char(' '));
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedPrompter m_prompter;
    std::unique_ptr<MainWindow> m_window;

    settings::SettingsPaths paths() const { return uitest::pathsUnder(m_dir->path()); }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_prompter = ScriptedPrompter();
        m_window = std::make_unique<MainWindow>(paths(), m_prompter);
    }

    void cleanup()
    {
        m_window.reset();
        m_dir.reset();
    }

    void menusCarryTheirIdentifiersInOrder()
    {
        const std::pair<const char*, const char*> menus[] = {
            {"ID_File", "ID_New ID_Open ID_Save | ID_Print ID_PrintSetup | ID_Send | ID_Exit"},
            {"ID_Edit", "ID_Undo | ID_Cut ID_Copy ID_Paste ID_Clear | ID_SelectAll"},
            {"ID_Insert", "ID_EmailAddress ID_Username | ID_NameInformation ID_AddressInformation "
                          "ID_CompanyInformation ID_ContactInformation | ID_AdditionalInformation"},
            {"ID_NameInformation", "ID_Salutation/Title ID_FirstName ID_Initial ID_LastName | ID_CompleteName"},
            {"ID_Tools", "ID_SpellCheck | ID_Search | ID_Import ID_ExportRecipients | ID_ExclusionList | "
                         "ID_GroupMaintenance ID_PlugMenu"},
            {"ID_Setup", "ID_EmailSettings ID_MessageSetup ID_IdentificationSettings | ID_SpellCheckerSetup "
                         "ID_EditorFontSettings | ID_DBS"},
            {"ID_Help", "ID_Contents ID_TechnicalSupport | ID_EmberjaySoftwareontheWeb | ID_AboutEmberjayTidecast"},
            {"ID_EmberjaySoftwareontheWeb", "ID_FrequentlyAskedQuestions ID_OnlineSupport | ID_ProductNews | "
                                            "ID_FreeStuff ID_EmberjaySoftwareHomepage"},
        };
        for (const auto& [menu, ids] : menus) {
            QCOMPARE(actionIds(m_window->menuById(QString::fromLatin1(menu))), split(ids));
        }

        QStringList titles;
        for (QAction* action : m_window->menuBar()->actions()) {
            titles << action->text();
        }
        QCOMPARE(titles,
                 QString::fromUtf8("&File|&Edit|&View|&Merge|&Insert|&Tools|Set&up|&Help").split(QLatin1Char('|')));
        QCOMPARE(actionIds(m_window->menuById(QStringLiteral("ID_View"))), split("ID_GroupsOnlyView"));
        QCOMPARE(m_window->commandAction(QStringLiteral("ID_Send"))->text(), QStringLiteral("Prepare to Sen&d"));
        QCOMPARE(m_window->commandAction(QStringLiteral("ID_Sort"))->statusTip(),
                 QStringLiteral("Sort a Group by field"));

        QStringList toolbars;
        for (QToolBar* bar : m_window->findChildren<QToolBar*>()) {
            toolbars << bar->objectName();
        }
        QCOMPARE(toolbars, QString::fromUtf8("Edit Tools|Message Tools|Advanced Tools").split(QLatin1Char('|')));
    }

    void everyIdentifierReachesItsCommand()
    {
        const QStringList composerIds = split(
            "ID_New ID_Open ID_Save ID_Print ID_Undo ID_Cut ID_Copy ID_Paste ID_Clear ID_SelectAll ID_EmailAddress "
            "ID_Username ID_Salutation/Title ID_FirstName ID_Initial ID_LastName ID_CompleteName ID_AddressLine1 "
            "ID_Addressline2 ID_City ID_State/County ID_Zip/PostCode ID_Country ID_JobTitle ID_CompanyName ID_WEBURL "
            "ID_Telephone ID_FAX ID_Field1 ID_Field2 ID_Field3 ID_Field4 ID_TextfromaFile... ID_FileAttachments "
            "ID_AttachaHTMLMessageFile ID_SpellCheck");
        const QStringList otherIds = split(
            "ID_Exit ID_Send ID_PrintSetup ID_Import ID_ExportRecipients ID_ExclusionList ID_EmailSettings "
            "ID_MessageSetup ID_IdentificationSettings ID_SpellCheckerSetup ID_EditorFontSettings ID_DBS ID_Search "
            "ID_RepairGroups ID_Sort ID_Contents ID_TechnicalSupport ID_AboutEmberjayTidecast ID_FreeStuff "
            "ID_ProductNews ID_FrequentlyAskedQuestions ID_OnlineSupport ID_EmberjaySoftwareHomepage ID_Plug-ins");

        // Until a feature registers its command, its entry is disabled: nothing pretends to work.
        QVERIFY(!m_window->commandAction(QStringLiteral("ID_New"))->isEnabled());
        QVERIFY(!m_window->commandAction(QStringLiteral("ID_Import"))->isEnabled());
        QVERIFY(m_window->commandAction(QStringLiteral("ID_Exit"))->isEnabled());

        QStringList reached;
        for (const auto& id : composerIds + otherIds) {
            QVERIFY2(m_window->commandAction(id) != nullptr, qPrintable(id));
            m_window->registerCommand(
                id, [&reached, id] { reached << id; }, composerIds.contains(id));
        }
        // Each menu entry and toolbar button runs its own command.
        for (const auto& id : composerIds + otherIds) {
            m_window->tabs()->setCurrentIndex(MainWindow::EditMessageTab);
            QVERIFY2(m_window->commandAction(id)->isEnabled(), qPrintable(id));
            m_window->commandAction(id)->trigger();
            QCOMPARE(reached.last(), id);
        }
        reached.clear();
        for (const auto& id : composerIds + otherIds) {
            m_window->tabs()->setCurrentIndex(MainWindow::MessageHistoryTab);
            m_window->dispatch(id);
            QCOMPARE(reached.last(), id);
            // Commands on the composer bring its tab forward first; the others leave the tab alone.
            QCOMPARE(m_window->tabs()->currentIndex(),
                     composerIds.contains(id) ? int(MainWindow::EditMessageTab) : int(MainWindow::MessageHistoryTab));
        }
        QCOMPARE(reached.size(), composerIds.size() + otherIds.size());

        // Menu headings and unknown identifiers do nothing.
        m_window->dispatch(QStringLiteral("ID_File"));
        m_window->dispatch(QStringLiteral("ID_NoSuchCommand"));
        QCOMPARE(reached.size(), composerIds.size() + otherIds.size());
    }

    void sortIsRefusedUnderDoubleByteSafetyAndMaintenanceFollowsTheGroupList()
    {
        m_window->settings().safeDelete = true;
        m_window->dispatch(QStringLiteral("ID_Sort"));
        QCOMPARE(m_prompter.texts(),
                 std::vector<std::string>{
                     "Sorry but Sort is unavailable to you because you have enabled double byte safety."});
        QCOMPARE(m_prompter.log().front().icon, Icon::Exclamation);

        m_window->dispatch(QStringLiteral("ID_GroupMaintenance"));
        QVERIFY(!m_window->commandAction(QStringLiteral("ID_Sort"))->isEnabled()); // no groups yet
        QStandardItemModel groups(1, 2);
        m_window->groupSetup()->groupsView()->setModel(&groups);
        m_window->dispatch(QStringLiteral("ID_GroupMaintenance"));
        QVERIFY(m_window->commandAction(QStringLiteral("ID_Sort"))->isEnabled());
        m_window->groupSetup()->groupsView()->setModel(nullptr);
    }

    void commandPanelFollowsTheTabAndSwitchesViews()
    {
        QPushButton* panel = m_window->commandPanel();
        m_window->show();
        QCOMPARE(panel->text(), QStringLiteral("Prepare to Send"));
        QCOMPARE(panel->toolTip(), QStringLiteral("Prepare to Send this message now"));

        m_window->tabs()->setCurrentIndex(MainWindow::GroupSetupTab);
        QCOMPARE(panel->text(), QStringLiteral("Groups Only"));
        QCOMPARE(panel->toolTip(), QStringLiteral("Switch to Group only view"));
        QTest::mouseClick(panel, Qt::LeftButton);
        QVERIFY(!m_window->groupSetup()->isGroupsRecipientsView());
        QCOMPARE(panel->text(), QStringLiteral("Groups/Recipients"));
        QCOMPARE(panel->toolTip(), QStringLiteral("Switch to Group/Recipient view"));
        QTest::mouseClick(panel, Qt::LeftButton);
        QVERIFY(m_window->groupSetup()->isGroupsRecipientsView());
        QCOMPARE(panel->text(), QStringLiteral("Groups Only"));

        m_window->tabs()->setCurrentIndex(MainWindow::MessageHistoryTab);
        QVERIFY(panel->isHidden());
        // The edit commands are off away from the composer.
        m_window->registerCommand(
            QStringLiteral("ID_Cut"), [] {}, true);
        m_window->tabs()->setCurrentIndex(MainWindow::GroupSetupTab);
        QVERIFY(!m_window->commandAction(QStringLiteral("ID_Cut"))->isEnabled());
        m_window->tabs()->setCurrentIndex(MainWindow::EditMessageTab);
        QVERIFY(m_window->commandAction(QStringLiteral("ID_Cut"))->isEnabled());

        bool sent = false;
        m_window->hooks().send = [&sent] { sent = true; };
        QTest::mouseClick(panel, Qt::LeftButton);
        QVERIFY(sent);
    }

    void startUpReadsTheCommandLineAndRunsTheFirstRun()
    {
        const QString textFile = m_dir->path() + QStringLiteral("/note.txt");
        QVERIFY(writeWholeFile(textFile.toStdString(), "Hello\r\nWorld"));
        bool welcomed = false;
        QString opened;
        m_window->hooks().showWelcome = [&welcomed] { welcomed = true; };
        const auto recordOpened = [&opened](const QString& path) {
            opened = path;
            return true;
        };
        m_window->hooks().openMessage = recordOpened;
        m_window->start(textFile);
        QCOMPARE(m_window->composer()->bodyEdit()->toPlainText(), QStringLiteral("Hello\nWorld"));
        QVERIFY(!m_window->composer()->isTextChanged());
        QVERIFY(welcomed); // no server known: the welcome runs
        QCOMPARE(m_window->composer()->priorityBox()->currentText(), QStringLiteral("Normal"));

        m_window->composer()->subjectEdit()->setText(QStringLiteral("old"));
        m_window->openCommandLineDocument(QStringLiteral("/some/where/Letter.TcX"));
        QCOMPARE(opened, QStringLiteral("/some/where/Letter.TcX"));
        QVERIFY(m_window->composer()->subjectEdit()->text().isEmpty());

        // With an older installation's server known, the welcome is skipped and marked done.
        auto p = paths();
        settings::writeAppSetting(p, "Tidecast", "Setup", "SMTP Server", "mail.old.test");
        MainWindow second(p, m_prompter);
        bool secondWelcomed = false;
        second.hooks().showWelcome = [&secondWelcomed] { secondWelcomed = true; };
        second.hooks().openMessage = recordOpened;
        opened.clear();
        second.start(QStringLiteral("x.tcx NOCONNECT"));
        QVERIFY(!secondWelcomed);
        QVERIFY(opened.isEmpty());
        QCOMPARE(settings::readValue(p.settingsFile(), "Startup", "Welcome", "0"), std::string("-1"));
        second.setDuplicateInstance(true);
    }

    void firstRunWelcomesWithWhatTheSettingsFileAlreadyHolds()
    {
        // Set up from the command line only: the welcome still runs, filled with those values.
        auto p = paths();
        settings::writeValue(p.settingsFile(), "Server Setup", "SMTP Server", "mail.cli.test");
        settings::writeValue(p.settingsFile(), "Client Setup", "Email Address", "me@cli.test");
        MainWindow window(p, m_prompter);
        std::string shownServer;
        std::string shownAddress;
        window.hooks().showWelcome = [&] {
            shownServer = window.settings().smtpServer;
            shownAddress = window.settings().emailAddress;
        };
        window.start(QStringLiteral("NOCONNECT"));
        QCOMPARE(shownServer, std::string("mail.cli.test"));
        QCOMPARE(shownAddress, std::string("me@cli.test"));
        window.setDuplicateInstance(true);
    }

    void exitAsksAboutAnUnsentMessageAndShutdownWritesEverything()
    {
        auto p = paths();
        m_window->start(QString());
        m_window->composer()->subjectEdit()->setText(QStringLiteral("draft"));
        m_window->composer()->setTextChanged(true);

        m_prompter.queue(Answer::No);
        QVERIFY(!m_window->close());
        m_prompter.queue(Answer::Yes);
        m_prompter.queue(Answer::Cancel);
        QVERIFY(!m_window->close());
        QVERIFY(!std::filesystem::exists(p.settingsFile()));
        QCOMPARE(m_prompter.texts(),
                 (std::vector<std::string>{"You have an unsent message, are you sure you still want to exit?",
                                           "You have an unsent message, are you sure you still want to exit?",
                                           "Do you want to save this message before exiting?"}));

        m_prompter.clear();
        m_prompter.queue(Answer::Yes);
        m_prompter.queue(Answer::No);
        m_window->switchToGroupsOnlyView();
        QVERIFY(m_window->close());
        QVERIFY(m_prompter.answersUsedUp());
        QVERIFY(std::filesystem::exists(p.dataDir / "ctc410.atb"));
        QCOMPARE(settings::readValue(p.settingsFile(), "Layout", "GRView", ""), std::string("0"));
        QCOMPARE(settings::readValue(p.settingsFile(), "Editor Setup", "Font", ""),
                 m_window->composer()->bodyEdit()->font().family().toStdString());
        QCOMPARE(settings::readValue(p.settingsFile(), "Server Setup", "Security", ""), std::string("auto"));

        // File > Exit asks just as closing the window does; an unchanged composer asks nothing.
        MainWindow second(p, m_prompter);
        second.show();
        second.composer()->setTextChanged(true);
        m_prompter.clear();
        m_prompter.queue(Answer::No);
        second.dispatch(QStringLiteral("ID_Exit"));
        QCOMPARE(m_prompter.texts(),
                 std::vector<std::string>{"You have an unsent message, are you sure you still want to exit?"});
        QVERIFY(second.isVisible());
        second.composer()->setTextChanged(false);
        m_prompter.clear();
        second.dispatch(QStringLiteral("ID_Exit"));
        QVERIFY(m_prompter.log().empty());
        QVERIFY(!second.isVisible());
    }

    void windowOpensWhereItWasLeft()
    {
        const auto p = paths();
        // Well inside the offscreen platform's 800 x 600 screen.
        const QPoint corner(60, 40);
        const QSize size(600, 520);
        {
            MainWindow first(p, m_prompter);
            first.start(QString());
            first.resize(size);
            first.move(corner);
            QTRY_COMPARE(first.frameGeometry().topLeft(), corner);
            QVERIFY(first.close());
        }
        // Several starts in a row: the window neither creeps nor changes size.
        for (int start = 0; start < 3; ++start) {
            MainWindow again(p, m_prompter);
            again.start(QString());
            QTRY_COMPARE(again.frameGeometry().topLeft(), corner);
            QCOMPARE(again.size(), size);
            QVERIFY(again.close());
        }
    }

    void splashStaysAboveTheWindowWhileItIsUp()
    {
        // Long enough that loading never uses it all up, even on a busy machine: the check runs
        // while the splash window's wait lets events through.
        qputenv("TIDECAST_SPLASH_MS", "1500");
        bool seen = false;
        QTimer check;
        check.setInterval(10);
        QObject::connect(&check, &QTimer::timeout, [this, &seen] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* splash = qobject_cast<QSplashScreen*>(widget)) {
                    seen = seen || (splash->isVisible() && m_window->isVisible() &&
                                    splash->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
                }
            }
        });
        check.start();
        m_window->start(QString());
        qputenv("TIDECAST_SPLASH_MS", "0");
        QVERIFY(seen);
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            QVERIFY(qobject_cast<QSplashScreen*>(widget) == nullptr || !widget->isVisible());
        }
    }

    void iconsComeFromTheDesktopThemeByTheirStandardNames()
    {
        const std::pair<const char*, const char*> expected[] = {
            {"ID_New", "document-new"},      {"ID_Open", "document-open"},
            {"ID_Save", "document-save"},    {"ID_Undo", "edit-undo"},
            {"ID_Cut", "edit-cut"},          {"ID_Copy", "edit-copy"},
            {"ID_Paste", "edit-paste"},      {"ID_SpellCheck", "tools-check-spelling"},
            {"ID_Send", "mail-send"},        {"ID_FileAttachments", "mail-attachment"},
            {"ID_Exit", "application-exit"}, {"ID_Print", "document-print"},
        };
        for (const auto& [id, name] : expected) {
            const QIcon icon = m_window->commandAction(QString::fromLatin1(id))->icon();
            QVERIFY2(!icon.isNull(), id);
            QCOMPARE(icon.name(), QString::fromLatin1(name));
        }
        // Every toolbar button has a picture, even where the desktop's theme lacks the name.
        for (QToolBar* bar : m_window->findChildren<QToolBar*>()) {
            for (QAction* action : bar->actions()) {
                QVERIFY2(action->isSeparator() || !action->icon().isNull(), qPrintable(action->objectName()));
            }
        }
    }

    void firstStartIsComfortableAndShowsEveryToolbarButton()
    {
        m_window->start(QString());
        const QRect area = m_window->screen()->availableGeometry();
        QVERIFY(m_window->width() > m_window->minimumWidth());
        QVERIFY(m_window->height() > m_window->minimumHeight());
        QVERIFY(area.contains(m_window->frameGeometry()));
        for (QToolBar* bar : m_window->findChildren<QToolBar*>()) {
            auto* overflow = bar->findChild<QWidget*>(QStringLiteral("qt_toolbar_ext_button"));
            QVERIFY2(overflow == nullptr || !overflow->isVisible(), qPrintable(bar->objectName()));
        }
    }

    void keyboardReachesTheViewSwitchSendAndQuit()
    {
        m_window->start(QString());
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QVERIFY(m_window->groupSetup()->isGroupsRecipientsView());
        QTest::keyClick(m_window.get(), Qt::Key_G, Qt::ControlModifier);
        QCOMPARE(m_window->tabs()->currentIndex(), int(MainWindow::GroupSetupTab));
        QVERIFY(!m_window->groupSetup()->isGroupsRecipientsView());
        QVERIFY(m_window->commandAction(QStringLiteral("ID_GroupsOnlyView"))->isChecked());
        QCOMPARE(m_window->commandPanel()->text(), QStringLiteral("Groups/Recipients"));
        QTest::keyClick(m_window.get(), Qt::Key_G, Qt::ControlModifier);
        QVERIFY(m_window->groupSetup()->isGroupsRecipientsView());
        QVERIFY(!m_window->commandAction(QStringLiteral("ID_GroupsOnlyView"))->isChecked());

        int sends = 0;
        m_window->registerCommand(QStringLiteral("ID_Send"), [&sends] { ++sends; });
        QTest::keyClick(m_window.get(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(sends, 1);

        QTest::keyClick(m_window.get(), Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!m_window->isVisible());
    }

    void everyDialogButtonHasItsOwnMnemonic()
    {
        installFeatures(*m_window);
        QStringList welcomeFaults = {QStringLiteral("the welcome wizard did not open")};
        uitest::whenModal<QDialog>([&](QDialog* welcome) {
            welcomeFaults = mnemonicFaults(*welcome);
            welcome->reject();
        });
        m_window->start(QString());
        QVERIFY2(welcomeFaults.isEmpty(), qPrintable(welcomeFaults.join(u", ")));
        QCOMPARE(mnemonicFaults(*m_window->groupSetup()->findChild<QWidget*>(QStringLiteral("groupsOnlyPage"))),
                 QStringList());
        const char* commands[] = {
            "ID_EmailSettings",   "ID_MessageSetup", "ID_IdentificationSettings", "ID_SpellCheckerSetup", "ID_DBS",
            "ID_FileAttachments", "ID_Import",       "ID_ExportRecipients"};
        for (const char* id : commands) {
            QStringList faults;
            bool opened = false;
            uitest::whenModal<QDialog>([&](QDialog* dialog) {
                opened = true;
                faults = mnemonicFaults(*dialog);
                dialog->reject();
            });
            m_window->dispatch(QString::fromLatin1(id));
            QVERIFY2(opened, id);
            QVERIFY2(faults.isEmpty(), qPrintable(QString::fromLatin1(id) + QStringLiteral(": ") + faults.join(u", ")));
        }
    }

    void aSecondInstanceActivatesTheFirstAndWritesNothing()
    {
        const QString app = qEnvironmentVariable("TIDECAST_APP");
        QVERIFY(!app.isEmpty());
        const QString data = m_dir->path() + QStringLiteral("/instance");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir->path() + QStringLiteral("/config"));
        QProcess first;
        first.setProcessEnvironment(env);
        first.start(app, {QStringLiteral("--data-dir"), data});
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(data + QStringLiteral("/tidecast.lock")), 10000);

        QProcess second;
        second.setProcessEnvironment(env);
        second.start(app, {QStringLiteral("--data-dir"), data});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(!QFile::exists(data + QStringLiteral("/ej.dat")));
        QCOMPARE(first.state(), QProcess::Running);

        first.terminate();
        QVERIFY(first.waitForFinished(10000));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
