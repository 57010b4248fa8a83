#include "ui/SearchWindow.h"

#include "commands/MaintenanceTexts.h"
#include "store/GroupNames.h"
#include "store/StoreTexts.h"
#include "transfer/ExportTexts.h"
#include "ui/CopyMoveDialog.h"
#include "ui/RecipientDialog.h"
#include "ui/SearchResultsModel.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <tuple>

namespace tidecast::ui
{

namespace
{

constexpr int kFillIntervalMs = 100;

QString qs(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

SearchWindow::SearchWindow(store::GroupStore& groups, const QString& startGroup, QWidget* parent)
    : QDialog(parent)
    , m_groups(groups)
    , m_search(groups.dataDir(), groups.prompter())
    , m_fillTimer(new QTimer(this))
    , m_group(new QComboBox(this))
    , m_field(new QComboBox(this))
    , m_comparison(new QComboBox(this))
    , m_value(new QLineEdit(this))
    , m_searchButton(new QPushButton(tr("&Search"), this))
    , m_frame(new QGroupBox(this))
    , m_view(new QTreeView(m_frame))
    , m_model(new SearchResultsModel(this))
{
    setObjectName(QStringLiteral("searchWindow"));
    setWindowTitle(tr("Search"));
    m_group->setObjectName(QStringLiteral("groupComboBox"));
    m_field->setObjectName(QStringLiteral("fieldComboBox"));
    m_comparison->setObjectName(QStringLiteral("comparisonComboBox"));
    m_value->setObjectName(QStringLiteral("valueLineEdit"));
    m_searchButton->setObjectName(QStringLiteral("searchButton"));
    m_searchButton->setDefault(true);
    m_frame->setObjectName(QStringLiteral("resultsGroupBox"));
    m_view->setObjectName(QStringLiteral("resultsTreeView"));
    m_view->setModel(m_model);
    m_view->setRootIsDecorated(false);
    m_view->setUniformRowHeights(true);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);

    fillGroups();
    m_group->setCurrentText(startGroup);
    for (const auto label : commands::searchFieldLabels()) {
        m_field->addItem(qs(label));
    }
    for (const auto label : commands::searchComparisonLabels()) {
        m_comparison->addItem(qs(label));
    }

    auto* criteria = new QGridLayout;
    criteria->addWidget(new QLabel(tr("Group"), this), 0, 0);
    criteria->addWidget(m_group, 0, 1);
    criteria->addWidget(new QLabel(tr("Field"), this), 1, 0);
    criteria->addWidget(m_field, 1, 1);
    criteria->addWidget(m_comparison, 2, 0);
    criteria->addWidget(m_value, 2, 1);
    criteria->addWidget(m_searchButton, 2, 2);

    auto* buttons = new QHBoxLayout;
    const std::vector<std::tuple<QString, const char*, void (SearchWindow::*)()>> actions = {
        {tr("&Modify"), "modifyButton", &SearchWindow::modifyRecipient},
        {tr("&Delete"), "deleteButton", &SearchWindow::deleteRecipients},
        {tr("Select &All"), "selectAllButton", &SearchWindow::selectAll},
        {tr("&Copy"), "copyButton", &SearchWindow::copyRecipients},
        {tr("Mo&ve"), "moveButton", &SearchWindow::moveRecipients},
        {tr("&Export"), "exportButton", &SearchWindow::exportResults},
    };
    for (const auto& [caption, name, slot] : actions) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QString::fromLatin1(name));
        connect(button, &QPushButton::clicked, this, slot);
        buttons->addWidget(button);
        m_resultButtons.push_back(button);
    }
    setResultButtonsEnabled(false);
    auto* close = new QPushButton(tr("C&lose"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    buttons->addStretch();
    buttons->addWidget(close);

    auto* frameLayout = new QVBoxLayout(m_frame);
    frameLayout->addWidget(m_view);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(criteria);
    layout->addWidget(m_frame, 1);
    layout->addLayout(buttons);
    resize(560, 480);

    connect(m_searchButton, &QPushButton::clicked, this, &SearchWindow::search);
    connect(close, &QPushButton::clicked, this, &SearchWindow::close);
    connect(m_view, &QTreeView::doubleClicked, this, &SearchWindow::modifyRecipient);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_view, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const QModelIndex under = m_view->indexAt(at);
        if (under.isValid() && !m_view->selectionModel()->isRowSelected(under.row(), {})) {
            m_view->setCurrentIndex(under);
        }
        QMenu* menu = buildResultsMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(m_view->viewport()->mapToGlobal(at));
    });
    connect(m_fillTimer, &QTimer::timeout, this, &SearchWindow::takeFound);
}

SearchWindow::~SearchWindow()
{
    if (m_worker.joinable()) {
        m_worker.request_stop();
        m_worker.join();
    }
}

void SearchWindow::fillGroups()
{
    const QString current = m_group->currentText();
    m_group->clear();
    for (const auto& row : m_groups.rows()) {
        m_group->addItem(QString::fromStdString(row.name));
    }
    m_group->setCurrentText(current);
}

void SearchWindow::setResultButtonsEnabled(bool on)
{
    for (auto* button : m_resultButtons) {
        button->setEnabled(on);
    }
}

void SearchWindow::search()
{
    const auto field = commands::searchFieldName(m_field->currentText().toStdString());
    const auto comparison = commands::searchComparison(m_comparison->currentText().toStdString());
    if (isSearching() || !field || !comparison) {
        return;
    }
    startSearch({m_group->currentText().toStdString(), *field, *comparison, m_value->text().toStdString()});
}

void SearchWindow::repeatSearch()
{
    m_search.setRepeating(true);
    startSearch(m_criteria);
}

void SearchWindow::startSearch(const commands::SearchCriteria& criteria)
{
    m_criteria = criteria;
    m_searched = QString::fromStdString(criteria.group);
    m_model->clear();
    m_frame->setTitle({});
    setResultButtonsEnabled(false);
    m_searchButton->setEnabled(false);
    m_fillTimer->start(kFillIntervalMs);
    QPointer<SearchWindow> self(this);
    m_worker = std::jthread([this, self, criteria](std::stop_token stop) {
        const auto result = m_search.run(
            criteria,
            [this](const store::RecipientStore& match) {
                std::lock_guard lock(m_foundMutex);
                m_found.push_back({match.field("FirstName"), match.field("LastName"), match.field("EmailAddress")});
            },
            stop);
        QMetaObject::invokeMethod(
            self.data(),
            [self, result] {
                if (self) {
                    self->finishSearch(result);
                }
            },
            Qt::QueuedConnection);
    });
}

void SearchWindow::takeFound()
{
    std::vector<commands::RecipientRow> found;
    {
        std::lock_guard lock(m_foundMutex);
        found.swap(m_found);
    }
    if (!found.empty()) {
        m_model->append(std::move(found));
        m_frame->setTitle(qs(commands::text::searchCount(m_model->rowCount(), false)));
    }
}

void SearchWindow::finishSearch(commands::SearchResult result)
{
    if (m_worker.joinable()) {
        m_worker.join();
    }
    m_fillTimer->stop();
    takeFound();
    m_search.setRepeating(false);
    m_searchButton->setEnabled(true);
    m_frame->setTitle(qs(commands::text::searchCount(result.found, result.succeeded())));
    if (result.found > 0) {
        setResultButtonsEnabled(true);
        m_view->setCurrentIndex(m_model->index(0, 0));
    }
    emit searchFinished();
    if (m_closeWhenDone) {
        QDialog::reject();
    }
}

QStringList SearchWindow::selectedAddresses() const
{
    QStringList out;
    for (const auto& index : m_view->selectionModel()->selectedRows()) {
        out.append(m_model->addressAt(index.row()));
    }
    return out;
}

void SearchWindow::selectAll()
{
    m_view->selectAll();
}

void SearchWindow::modifyRecipient()
{
    auto& prompter = m_groups.prompter();
    if (isSearching()) {
        return;
    }
    if (m_model->rowCount() == 0) {
        prompter.message(store::text::kNoRecipientsInGroup, Icon::Exclamation);
        return;
    }
    const QString address = m_model->addressAt(m_view->currentIndex().row());
    if (address.isEmpty()) {
        prompter.message(store::text::kSelectRecipientToModify, Icon::Exclamation);
        return;
    }
    commands::GroupSetupCommands editor(m_groups);
    editor.setGroup(m_searched.toStdString());
    // Only the group's count is kept up to date: the results are searched again afterwards.
    editor.setGroupsOnlyView(true);
    auto record = editor.findRecipient(address.toStdString());
    if (!record) {
        return;
    }
    editor.setModifying(address.toStdString());
    RecipientDialog dialog(editor, qs(store::text::modifyRecipientTitle(m_searched.toStdString())), record, this);
    if (m_recipientHook) {
        m_recipientHook(dialog);
    }
    dialog.exec();
    m_reload = true;
    repeatSearch();
}

void SearchWindow::deleteRecipients()
{
    auto& prompter = m_groups.prompter();
    if (isSearching()) {
        return;
    }
    if (m_model->rowCount() == 0) {
        prompter.message(store::text::kNoRecipientsToDelete, Icon::Exclamation);
        return;
    }
    const auto selected = selectedAddresses();
    if (selected.isEmpty()) {
        prompter.message(store::text::kSelectRecipientToDelete, Icon::Exclamation);
        return;
    }
    if (prompter.ask(store::text::kDeleteRecipientsQuestion, Buttons::YesNo, Icon::Question, Answer::No) !=
        Answer::Yes) {
        return;
    }
    commands::GroupSetupCommands remover(m_groups);
    remover.setGroup(m_searched.toStdString());
    std::vector<std::string> addresses;
    for (const auto& address : selected) {
        addresses.push_back(address.toStdString());
    }
    (void)remover.removeRecipients(addresses);
    m_reload = true;
    repeatSearch();
}

void SearchWindow::transferRecipients(commands::TransferMode mode)
{
    auto& prompter = m_groups.prompter();
    const bool move = mode == commands::TransferMode::Move;
    if (isSearching()) {
        return;
    }
    if (m_model->rowCount() == 0) {
        prompter.message(commands::text::nobodyToTransfer(move, true), Icon::Exclamation);
        return;
    }
    const auto selected = selectedAddresses();
    if (selected.isEmpty()) {
        prompter.message(commands::text::selectSomebodyToTransfer(move, true), Icon::Exclamation);
        return;
    }
    CopyMoveDialog dialog(m_groups, mode, m_searched, selected, this);
    if (m_copyMoveHook) {
        m_copyMoveHook(dialog);
    }
    dialog.exec();
    if (dialog.outcome() == CopyMoveResult::Cancel) {
        return;
    }
    m_groups.loadGroups();
    fillGroups();
    m_reload = m_reload || move;
    repeatSearch();
}

void SearchWindow::exportResults()
{
    if (isSearching() || m_model->rowCount() == 0 || !m_exportHandler) {
        return;
    }
    const auto file =
        m_groups.dataDir() / (std::string(transfer::text::kSearchResultsSource) + std::string(store::kGroupExtension));
    // The copy reads the whole group again, so it runs beside the event loop, as the search does.
    commands::RecipientSearch copier(m_groups.dataDir(), m_groups.prompter());
    commands::SearchResult copied;
    setEnabled(false);
    {
        QEventLoop loop;
        const std::jthread worker([&] {
            copied = copier.copyMatches(m_criteria, file);
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        loop.exec();
    }
    setEnabled(true);
    if (copied.outcome == store::CommandOutcome::Done) {
        m_exportHandler();
    }
    (void)store::RecipientStore::deleteFile(file);
}

void SearchWindow::addToExclusionList()
{
    const QString address = m_model->addressAt(m_view->currentIndex().row());
    if (!isSearching() && !address.isEmpty() && m_exclusionHandler) {
        m_exclusionHandler(address);
    }
}

QMenu* SearchWindow::buildResultsMenu()
{
    auto* menu = new QMenu(QStringLiteral("Search"), m_view);
    menu->setObjectName(QStringLiteral("searchContextMenu"));
    const bool any = !isSearching() && m_model->rowCount() > 0;
    const auto add = [menu](const QString& text, bool enabled, auto run) {
        QAction* action = menu->addAction(text);
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, menu, run);
    };
    add(QStringLiteral("Modify"), any, [this] { modifyRecipient(); });
    add(QStringLiteral("Delete"), any, [this] { deleteRecipients(); });
    menu->addSeparator();
    add(QStringLiteral("Copy"), any, [this] { copyRecipients(); });
    add(QStringLiteral("Move"), any, [this] { moveRecipients(); });
    menu->addSeparator();
    add(QStringLiteral("Select All"), any, [this] { selectAll(); });
    add(QStringLiteral("Export"), any && m_exportHandler, [this] { exportResults(); });
    menu->addSeparator();
    add(QStringLiteral("Add to Exclusion List"), any && m_exclusionHandler, [this] { addToExclusionList(); });
    return menu;
}

void SearchWindow::closeEvent(QCloseEvent* event)
{
    // A running search is stopped first; the window closes when it has ended.
    if (isSearching()) {
        event->ignore();
        m_closeWhenDone = true;
        m_worker.request_stop();
        return;
    }
    QDialog::closeEvent(event);
}

void SearchWindow::reject()
{
    if (isSearching()) {
        m_closeWhenDone = true;
        m_worker.request_stop();
        return;
    }
    QDialog::reject();
}

} // namespace tidecast::ui
