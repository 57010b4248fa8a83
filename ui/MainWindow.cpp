#include "ui/MainWindow.h"

#include "common/Text.h"
#include "settings/SettingsStore.h"
#include "ui/CommandIcons.h"
#include "ui/CommandTable.h"
#include "ui/ComposerWidget.h"
#include "ui/GroupSetupWidget.h"
#include "ui/MessageHistoryWidget.h"
#include "ui/PasswordKeyring.h"
#include "ui/ProgramFiles.h"
#include "ui/QtPrompter.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSplashScreen>
#include <QStatusBar>
#include <QStorageInfo>
#include <QSysInfo>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace tidecast::ui
{

namespace
{

constexpr int kTwipsPerPixel = 15;
constexpr int kMinimumWidth = 484;
constexpr int kMinimumHeight = 514;
constexpr qint64 kSplashMilliseconds = 3000;

const QString kPrepareToSend = QStringLiteral("Prepare to Send");
const QString kGroupsOnly = QStringLiteral("Groups Only");
const QString kGroupsRecipients = QStringLiteral("Groups/Recipients");

// The maker's web pages, by command.
QString webAddress(const QString& id)
{
    static const QHash<QString, QString> pages = {
        {QStringLiteral("ID_FreeStuff"), QStringLiteral("https://www.corvane.example/products")},
        {QStringLiteral("ID_ProductNews"), QStringLiteral("https://www.corvane.example/tidecast")},
        {QStringLiteral("ID_FrequentlyAskedQuestions"), QStringLiteral("https://www.corvane.example/tidecast/faq")},
        {QStringLiteral("ID_OnlineSupport"), QStringLiteral("https://www.corvane.example/support")},
        {QStringLiteral("ID_EmberjaySoftwareHomepage"), QStringLiteral("https://www.corvane.example/")},
    };
    return pages.value(id);
}

QString fromStd(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

qint64 splashMilliseconds()
{
    if (const char* value = std::getenv("TIDECAST_SPLASH_MS"); value != nullptr && *value != '\0') {
        return std::atoll(value);
    }
    return kSplashMilliseconds;
}

const QStringList& editCommandIds()
{
    static const QStringList ids = {QStringLiteral("ID_Undo"),  QStringLiteral("ID_Cut"),
                                    QStringLiteral("ID_Copy"),  QStringLiteral("ID_Paste"),
                                    QStringLiteral("ID_Clear"), QStringLiteral("ID_SelectAll")};
    return ids;
}

} // namespace

MainWindow::MainWindow(settings::SettingsPaths paths, Prompter& prompter, QWidget* parent)
    : QMainWindow(parent)
    , m_paths(std::move(paths))
    , m_prompter(prompter)
    , m_tabs(new QTabWidget(this))
    , m_composer(new ComposerWidget)
    , m_groupSetup(new GroupSetupWidget)
    , m_history(new MessageHistoryWidget)
    , m_status(new QLabel(this))
    , m_commandPanel(new QPushButton(this))
    , m_progress(new QProgressBar(this))
{
    setObjectName(QStringLiteral("mainWindow"));
    setDocumentName({});
    useDesktopIconTheme();
    // The window never gets smaller than the tabs and lists need.
    setMinimumSize(kMinimumWidth, kMinimumHeight);

    m_tabs->setObjectName(QStringLiteral("mainTabWidget"));
    m_tabs->addTab(m_composer, tr("Edit Message"));
    m_tabs->addTab(m_groupSetup, tr("Group Setup"));
    m_tabs->addTab(m_history, tr("Message History"));
    setCentralWidget(m_tabs);

    buildMenus();
    buildToolbars();
    buildStatusBar();
    registerBuiltInCommands();

    connect(m_composer, &ComposerWidget::textChangedStateChanged, this, &QWidget::setWindowModified);
    connect(m_tabs, &QTabWidget::currentChanged, this, &MainWindow::onTabChanged);
    connect(m_commandPanel, &QPushButton::clicked, this, &MainWindow::onCommandPanelClicked);
    updateCommandPanel();
}

MainWindow::~MainWindow() = default;

void MainWindow::setDocumentName(const QString& name)
{
    // "[*]" shows as "*" while the message has changes that are not saved.
    setWindowTitle(name.isEmpty() ? applicationTitle() + QStringLiteral("[*]")
                                  : name + QStringLiteral("[*] - ") + applicationTitle());
}

void MainWindow::buildMenus()
{
    std::function<void(QMenu*, const QVector<MenuEntry>&)> fill = [&](QMenu* menu, const QVector<MenuEntry>& entries) {
        for (const auto& entry : entries) {
            if (entry.isSeparator()) {
                menu->addSeparator();
                continue;
            }
            if (!entry.children.isEmpty()) {
                QMenu* sub = menu->addMenu(entry.caption);
                sub->setObjectName(entry.id);
                sub->menuAction()->setStatusTip(entry.description);
                m_menus.insert(entry.id, sub);
                fill(sub, entry.children);
                continue;
            }
            QAction* action = menu->addAction(commandIcon(entry.id), entry.caption);
            action->setObjectName(entry.id);
            action->setStatusTip(entry.description);
            action->setToolTip(entry.description);
            action->setEnabled(false);
            const QString id = entry.id;
            connect(action, &QAction::triggered, this, [this, id] { dispatch(id); });
            m_actions.insert(entry.id, action);
        }
    };
    for (const auto& top : menuTable()) {
        QMenu* menu = menuBar()->addMenu(top.caption);
        menu->setObjectName(top.id);
        m_menus.insert(top.id, menu);
        fill(menu, top.children);
    }

    // Sort and Repair are offered only while there are groups to work on.
    if (QMenu* maintenance = m_menus.value(QStringLiteral("ID_GroupMaintenance"))) {
        connect(maintenance, &QMenu::aboutToShow, this, [this] { dispatch(QStringLiteral("ID_GroupMaintenance")); });
    }

    auto setShortcut = [this](const char* id, QKeySequence::StandardKey key) {
        if (QAction* action = m_actions.value(QString::fromLatin1(id))) {
            action->setShortcut(key);
        }
    };
    setShortcut("ID_New", QKeySequence::New);
    setShortcut("ID_Open", QKeySequence::Open);
    setShortcut("ID_Save", QKeySequence::Save);
    setShortcut("ID_Print", QKeySequence::Print);
    setShortcut("ID_Undo", QKeySequence::Undo);
    setShortcut("ID_Cut", QKeySequence::Cut);
    setShortcut("ID_Copy", QKeySequence::Copy);
    setShortcut("ID_Paste", QKeySequence::Paste);
    setShortcut("ID_SelectAll", QKeySequence::SelectAll);
    setShortcut("ID_Contents", QKeySequence::HelpContents);
    setShortcut("ID_Search", QKeySequence::Find);
    auto setKeys = [this](const char* id, const QKeySequence& keys) {
        if (QAction* action = m_actions.value(QString::fromLatin1(id))) {
            action->setShortcut(keys);
        }
    };
    // Not QKeySequence::Quit: desktops whose key scheme has no Quit key still quit on Ctrl+Q.
    setKeys("ID_Exit", QKeySequence(Qt::CTRL | Qt::Key_Q));
    setKeys("ID_Send", QKeySequence(Qt::CTRL | Qt::Key_Return));
    setKeys("ID_SpellCheck", QKeySequence(Qt::Key_F7));
    setKeys("ID_GroupsOnlyView", QKeySequence(Qt::CTRL | Qt::Key_G));
    if (QAction* view = m_actions.value(QStringLiteral("ID_GroupsOnlyView"))) {
        view->setCheckable(true);
    }
}

void MainWindow::buildToolbars()
{
    for (const auto& bar : toolbarTable()) {
        QToolBar* toolbar = addToolBar(bar.name);
        toolbar->setObjectName(bar.name);
        for (const auto& id : bar.ids) {
            if (id.isEmpty()) {
                toolbar->addSeparator();
                continue;
            }
            QAction* action = m_actions.value(id);
            if (action == nullptr) {
                continue;
            }
            toolbar->addAction(action);
        }
    }
}

void MainWindow::buildStatusBar()
{
    m_status->setObjectName(QStringLiteral("statusLabel"));
    m_commandPanel->setObjectName(QStringLiteral("commandPanelButton"));
    m_commandPanel->setFlat(true);
    m_progress->setObjectName(QStringLiteral("mainProgressBar"));
    m_progress->setMaximumWidth(160);
    m_progress->setTextVisible(false);
    m_progress->hide();
    statusBar()->addWidget(m_status, 1);
    statusBar()->addPermanentWidget(m_progress);
    statusBar()->addPermanentWidget(m_commandPanel);
}

void MainWindow::registerBuiltInCommands()
{
    registerCommand(QStringLiteral("ID_Exit"), [this] {
        if (m_hooks.closeOpenDatabase) {
            m_hooks.closeOpenDatabase();
        }
        // Asks about an unsent message just as the window's close button does.
        close();
    });
    registerCommand(QStringLiteral("ID_GroupsOnlyView"), [this] {
        m_tabs->setCurrentIndex(GroupSetupTab);
        if (m_groupSetup->isGroupsRecipientsView()) {
            switchToGroupsOnlyView();
        } else {
            switchToGroupsRecipientsView();
        }
    });
    registerCommand(QStringLiteral("ID_PrintSetup"), [this] {
        static QPrinter printer;
        QPageSetupDialog dialog(&printer, this);
        dialog.exec();
    });
    registerCommand(QStringLiteral("ID_GroupMaintenance"), [this] {
        const bool any = groupCount() > 0;
        // Sort answers with its refusal while double-byte safety is on, even before its dialog exists.
        commandAction(QStringLiteral("ID_Sort"))->setEnabled(any && (m_settings.safeDelete || m_hooks.sort));
        commandAction(QStringLiteral("ID_RepairGroups"))
            ->setEnabled(any && m_commands.contains(QStringLiteral("ID_RepairGroups")));
    });
    registerCommand(QStringLiteral("ID_Sort"), [this] {
        if (m_settings.safeDelete) {
            m_prompter.message("Sorry but Sort is unavailable to you because you have enabled double byte safety.",
                               Icon::Exclamation);
            return;
        }
        if (m_hooks.sort) {
            if (m_hooks.closeOpenDatabase) {
                m_hooks.closeOpenDatabase();
            }
            m_hooks.sort();
        }
    });
    registerCommand(QStringLiteral("ID_Contents"), [this] {
        const QString help =
            findProgramFile(QCoreApplication::applicationDirPath(), QStringLiteral("tidecast-help.html"));
        if (help.isEmpty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(help))) {
            m_prompter.message("The help topics could not be opened.", Icon::Exclamation);
        }
    });
    registerCommand(QStringLiteral("ID_TechnicalSupport"), [this] { showTechnicalSupport(); });
    registerCommand(QStringLiteral("ID_AboutEmberjayTidecast"), [this] {
        QMessageBox::about(this, tr("About Corvane Tidecast"),
                           tr("Corvane Tidecast %1\n\nMail groups of recipients, personally or in bulk.")
                               .arg(QStringLiteral(TIDECAST_VERSION)));
    });
    for (const char* id : {"ID_FreeStuff", "ID_ProductNews", "ID_FrequentlyAskedQuestions", "ID_OnlineSupport",
                           "ID_EmberjaySoftwareHomepage"}) {
        const QString name = QString::fromLatin1(id);
        registerCommand(name, [this, name] { openWebPage(name); });
    }
}

void MainWindow::registerCommand(const QString& id, std::function<void()> handler, bool actsOnComposer)
{
    m_commands.insert(id, Command{std::move(handler), actsOnComposer});
    if (QAction* action = m_actions.value(id)) {
        action->setEnabled(true);
    }
}

QAction* MainWindow::commandAction(const QString& id) const
{
    return m_actions.value(id);
}

QMenu* MainWindow::menuById(const QString& id) const
{
    return m_menus.value(id);
}

void MainWindow::dispatch(const QString& id)
{
    const auto it = m_commands.constFind(id);
    if (it == m_commands.constEnd() || !it->handler) {
        return;
    }
    if (it->actsOnComposer) {
        m_tabs->setCurrentIndex(EditMessageTab);
    }
    // Copy: a handler may register commands anew while it runs.
    const auto handler = it->handler;
    handler();
}

QString MainWindow::statusText() const
{
    return m_status->text();
}

void MainWindow::showStatus(std::string_view text)
{
    m_status->setText(fromStd(text));
}

int MainWindow::groupCount() const
{
    const QAbstractItemModel* model = m_groupSetup->groupsView()->model();
    return model != nullptr ? model->rowCount() : 0;
}

void MainWindow::updateEditCommands()
{
    if (m_hooks.checkEdit) {
        m_hooks.checkEdit();
        return;
    }
    for (const auto& id : editCommandIds()) {
        if (QAction* action = m_actions.value(id)) {
            action->setEnabled(m_commands.contains(id));
        }
    }
}

void MainWindow::onTabChanged(int index)
{
    if (index == EditMessageTab) {
        updateEditCommands();
    } else {
        for (const auto& id : editCommandIds()) {
            if (QAction* action = m_actions.value(id)) {
                action->setEnabled(false);
            }
        }
        if (index == GroupSetupTab && m_hooks.refreshRecipientButtons) {
            m_hooks.refreshRecipientButtons();
        }
    }
    updateCommandPanel();
}

void MainWindow::updateCommandPanel()
{
    if (QAction* view = m_actions.value(QStringLiteral("ID_GroupsOnlyView"))) {
        view->setChecked(!m_groupSetup->isGroupsRecipientsView());
    }
    switch (m_tabs->currentIndex()) {
    case EditMessageTab:
        m_commandPanel->setText(kPrepareToSend);
        m_commandPanel->setToolTip(tr("Prepare to Send this message now"));
        m_commandPanel->show();
        break;
    case GroupSetupTab:
        if (m_groupSetup->isGroupsRecipientsView()) {
            m_commandPanel->setText(kGroupsOnly);
            m_commandPanel->setToolTip(tr("Switch to Group only view"));
        } else {
            m_commandPanel->setText(kGroupsRecipients);
            m_commandPanel->setToolTip(tr("Switch to Group/Recipient view"));
        }
        m_commandPanel->show();
        break;
    default:
        m_commandPanel->hide();
        break;
    }
}

void MainWindow::onCommandPanelClicked()
{
    const QString label = m_commandPanel->text();
    if (label == kPrepareToSend || label == QStringLiteral("Send")) {
        m_commandPanel->setDown(true);
        if (m_hooks.send) {
            m_hooks.send();
        }
        m_commandPanel->setDown(false);
    } else if (label == kGroupsRecipients) {
        switchToGroupsRecipientsView();
    } else if (label == kGroupsOnly) {
        switchToGroupsOnlyView();
    }
}

void MainWindow::switchToGroupsRecipientsView()
{
    m_groupSetup->showGroupsRecipientsView();
    m_settings.groupsRecipientsView = true;
    if (m_hooks.refreshRecipientButtons) {
        m_hooks.refreshRecipientButtons();
    }
    updateCommandPanel();
}

void MainWindow::switchToGroupsOnlyView()
{
    m_groupSetup->showGroupsOnlyView();
    m_settings.groupsRecipientsView = false;
    updateCommandPanel();
}

void MainWindow::applyEditorFont()
{
    QFont font;
    if (settings::readValue(m_paths.settingsFile(), "Editor Setup", "Font", "").empty()) {
        // Nobody chose a font yet: the desktop's own fixed-width font at its own size.
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    } else {
        font = QFont(fromStd(m_settings.fontName));
        font.setPointSize(m_settings.fontSize > 0 ? m_settings.fontSize : 8);
    }
    font.setBold(m_settings.fontBold);
    font.setItalic(m_settings.fontItalic);
    // A stored face that is not installed gives way to the one actually shown, so that the font
    // dialog opens on what the person sees and OK alone changes nothing.
    font.setFamily(QFontInfo(font).family());
    m_composer->bodyEdit()->setFont(font);
    m_composer->subjectEdit()->setFont(font);
}

void MainWindow::readEditorFont()
{
    const QFont font = m_composer->bodyEdit()->font();
    m_settings.fontName = font.family().toStdString();
    m_settings.fontSize = font.pointSize();
    m_settings.fontBold = font.bold();
    m_settings.fontItalic = font.italic();
}

void MainWindow::applyScreenSettings()
{
    QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const auto placement = settings::loadWindowPlacement(m_paths, m_settings, area.width() * kTwipsPerPixel,
                                                         area.height() * kTwipsPerPixel);
    if (m_settings.groupsRecipientsView) {
        m_groupSetup->showGroupsRecipientsView();
    } else {
        m_groupSetup->showGroupsOnlyView();
    }
    int width = std::max(kMinimumWidth, placement.width / kTwipsPerPixel);
    int height = std::max(kMinimumHeight, placement.height / kTwipsPerPixel);
    const bool firstStart = settings::readValue(m_paths.settingsFile(), "Layout", "Width", "").empty();
    if (firstStart) {
        // Nothing saved yet: a comfortable share of the screen, at least wide enough for the
        // toolbars to show every button, centred.
        width = std::clamp(std::max(area.width() * 3 / 4, sizeHint().width()), kMinimumWidth,
                           std::max(kMinimumWidth, area.width()));
        height = std::clamp(area.height() * 3 / 4, kMinimumHeight, std::max(kMinimumHeight, area.height()));
    }
    resize(width, height);
    if (placement.maximised) {
        setWindowState(windowState() | Qt::WindowMaximized);
    } else if (placement.centred || firstStart) {
        move(area.x() + (area.width() - width) / 2, area.y() + (area.height() - height) / 2);
    } else {
        move(area.x() + placement.left / kTwipsPerPixel, area.y() + placement.top / kTwipsPerPixel);
    }
}

void MainWindow::storeWindowGeometry()
{
    const QRect rect = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    // The position is the frame's, as move() takes it at the next start; the size is the inner
    // one, as resize() takes it.
    const QPoint frameOffset = frameGeometry().topLeft() - geometry().topLeft();
    m_settings.left = (rect.x() + frameOffset.x()) * kTwipsPerPixel;
    m_settings.top = (rect.y() + frameOffset.y()) * kTwipsPerPixel;
    m_settings.width = rect.width() * kTwipsPerPixel;
    m_settings.height = rect.height() * kTwipsPerPixel;
    m_settings.windowState = isMaximized() ? 2 : (isMinimized() ? 1 : 0);
}

QString MainWindow::toolbarLayoutFile() const
{
    return QString::fromStdString((m_paths.dataDir / "ctc410.atb").string());
}

void MainWindow::waitForSplash(qint64 startedMs)
{
    QElapsedTimer clock;
    clock.start();
    const qint64 remaining = splashMilliseconds() - startedMs;
    if (remaining <= 0) {
        return;
    }
    // Events keep flowing while the splash window is up.
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(remaining), &loop, &QEventLoop::quit);
    loop.exec();
}

void MainWindow::start(const QString& commandLine)
{
    settings::writeInstallPath(m_paths);

    QFile layout(toolbarLayoutFile());
    if (layout.open(QIODevice::ReadOnly)) {
        restoreState(layout.readAll());
    }

    QElapsedTimer sinceSplash;
    sinceSplash.start();
    std::unique_ptr<QSplashScreen> splash;
    if (splashMilliseconds() > 0) {
        QPixmap art(420, 220);
        art.fill(QColor(0x1f, 0x4e, 0x79));
        // Above the main window, which shows up while the splash window is still meant to be seen.
        splash = std::make_unique<QSplashScreen>(art, Qt::WindowStaysOnTopHint);
        splash->setObjectName(QStringLiteral("splashScreen"));
        splash->show();
        splash->showMessage(QStringLiteral("Corvane Tidecast\n\nVersion %1.%2.%3")
                                .arg(TIDECAST_VERSION_MAJOR)
                                .arg(TIDECAST_VERSION_MINOR)
                                .arg(TIDECAST_VERSION_PATCH),
                            Qt::AlignCenter, Qt::white);
    }

    m_settings = settings::loadSettings(m_paths);
    if (m_settings.passwordsInKeyring) {
        if (auto filled = PasswordKeyring().fillPasswords(m_settings); !filled) {
            m_prompter.message("The passwords could not be read from the desktop keyring (" + filled.error().detail +
                                   ").",
                               Icon::Exclamation);
        }
    }
    applyScreenSettings();
    applyEditorFont();
    if (m_hooks.loadMessages) {
        m_hooks.loadMessages();
    }
    if (m_hooks.loadGroups) {
        m_hooks.loadGroups();
    }
    updateEditCommands();
    show();
    repaint();

    waitForSplash(sinceSplash.elapsed());
    if (splash) {
        splash->finish(this);
    }
    m_composer->setTextChanged(false);

    if (settings::readValue(m_paths.settingsFile(), "Startup", "Welcome", "0") == "0") {
        if (settings::olderInstallationKnowsServer(m_paths)) {
            // An older installation already knew the server: nothing to welcome.
            settings::writeValue(m_paths.settingsFile(), "Startup", "Welcome", "-1");
        } else if (m_hooks.showWelcome) {
            m_hooks.showWelcome();
            if (m_hooks.loadGroups) {
                m_hooks.loadGroups();
            }
        }
    }

    if (m_hooks.loadPlugins) {
        m_hooks.loadPlugins();
    }
    if (!commandLine.contains(QStringLiteral("NOCONNECT"))) {
        openCommandLineDocument(commandLine);
    }
    m_composer->resetPriority();
    m_composer->groupSelector()->setFocus();
}

void MainWindow::openCommandLineDocument(const QString& commandLine)
{
    if (commandLine.isEmpty()) {
        return;
    }
    m_composer->clearMessage();
    if (commandLine.right(3).toLower() == QStringLiteral("tcx")) {
        if (m_hooks.openMessage) {
            m_hooks.openMessage(commandLine);
        }
    } else if (m_hooks.openTextFile) {
        m_hooks.openTextFile(commandLine);
    } else {
        const std::string text = toUtf8(readWholeFile(commandLine.toStdString()));
        m_composer->bodyEdit()->setPlainText(fromStd(text));
    }
    m_composer->setTextChanged(false);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!m_duplicate && m_composer->isTextChanged()) {
        if (m_prompter.ask("You have an unsent message, are you sure you still want to exit?", Buttons::YesNo,
                           Icon::Question, Answer::No) != Answer::Yes) {
            event->ignore();
            return;
        }
        const Answer save = m_prompter.ask("Do you want to save this message before exiting?", Buttons::YesNoCancel,
                                           Icon::Question, Answer::Yes);
        if (save == Answer::Cancel) {
            event->ignore();
            return;
        }
        if (save == Answer::Yes && m_hooks.saveMessage && !m_hooks.saveMessage(QString())) {
            event->ignore();
            return;
        }
    }
    saveOnShutdown();
    event->accept();
    emit closed();
}

void MainWindow::saveOnShutdown()
{
    if (m_duplicate) {
        return;
    }
    m_settings.groupsRecipientsView = m_groupSetup->isGroupsRecipientsView();
    if (m_hooks.removePlugins) {
        m_hooks.removePlugins();
    }
    QFile layout(toolbarLayoutFile());
    if (layout.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        layout.write(saveState());
    }
    storeWindowGeometry();
    readEditorFont();
    settings::saveSettings(m_settings, m_paths);
}

void MainWindow::openWebPage(const QString& id)
{
    const QString address = webAddress(id);
    if (!QDesktopServices::openUrl(QUrl(address))) {
        m_prompter.message((QStringLiteral("Please visit ") + address).toStdString(), Icon::Information);
    }
}

void MainWindow::showTechnicalSupport()
{
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("technicalSupportDialog"));
    dialog.setWindowTitle(tr("Technical Support"));
    const QStorageInfo storage(QString::fromStdString(m_paths.dataDir.string()));
    QString report;
    report += QStringLiteral("Tidecast %1\n").arg(QStringLiteral(TIDECAST_VERSION));
    report += QStringLiteral("System: %1 (%2)\n").arg(QSysInfo::prettyProductName(), QSysInfo::kernelVersion());
    report += QStringLiteral("Data folder: %1\n").arg(QString::fromStdString(m_paths.dataFolder()));
    report += QStringLiteral("Free disk space: %1 MB of %2 MB\n")
                  .arg(storage.bytesAvailable() / (1024 * 1024))
                  .arg(storage.bytesTotal() / (1024 * 1024));
    std::ifstream meminfo("/proc/meminfo");
    std::string line;
    for (int i = 0; i < 2 && std::getline(meminfo, line); ++i) {
        report += QString::fromStdString(line) + QStringLiteral("\n");
    }
    auto* text = new QPlainTextEdit(report, &dialog);
    text->setReadOnly(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(tr("Please include this report in your support request:"), &dialog));
    layout->addWidget(text);
    layout->addWidget(buttons);
    dialog.resize(480, 260);
    dialog.exec();
}

} // namespace tidecast::ui
