#include "ui/GroupSetupFeature.h"

#include "commands/MaintenanceTexts.h"
#include "ui/ComposerWidget.h"
#include "ui/CopyMoveDialog.h"
#include "ui/GroupDialog.h"
#include "ui/GroupListModel.h"
#include "ui/GroupMaintenanceDialog.h"
#include "ui/GroupSetupWidget.h"
#include "ui/ImportWizard.h"
#include "ui/MainWindow.h"
#include "ui/QtFileChooser.h"
#include "ui/RecipientDialog.h"
#include "ui/RecipientListModel.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QTreeView>

#include <algorithm>

namespace tidecast::ui
{

GroupSetupFeature::GroupSetupFeature(MainWindow& window)
    : QObject(&window)
    , m_window(window)
    , m_progress(window.progressBar())
    , m_groups(window.paths().dataDir, window.prompter(), window, m_progress, m_clock)
    , m_recipients(m_groups)
    , m_groupModel(new GroupListModel(m_groups, this))
    , m_recipientModel(new RecipientListModel(m_recipients, this))
{
    setObjectName(QStringLiteral("groupSetupController"));
    GroupSetupWidget* tab = window.groupSetup();
    for (QTreeView* view : {tab->groupsView(), tab->groupsOnlyView()}) {
        view->setModel(m_groupModel);
        // The name takes the room, the count only what its digits need.
        view->header()->setStretchLastSection(false);
        view->header()->setSectionResizeMode(0, QHeaderView::Stretch);
        view->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
        connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this, view](const QModelIndex& current) { onGroupCurrentChanged(view, current); });
        connect(view, &QTreeView::doubleClicked, this, &GroupSetupFeature::modifyGroup);
        view->installEventFilter(this);
    }
    QTreeView* recipients = tab->recipientsView();
    recipients->setModel(m_recipientModel);
    connect(recipients->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { m_recipientModel->setBoldRow(current.row()); });
    connect(recipients, &QTreeView::doubleClicked, this, &GroupSetupFeature::modifyRecipient);
    recipients->installEventFilter(this);

    for (QPushButton* button : {tab->addGroupButton(), tab->nrAddGroupButton()}) {
        connect(button, &QPushButton::clicked, this, &GroupSetupFeature::addGroup);
    }
    for (QPushButton* button : {tab->modifyGroupButton(), tab->nrModifyGroupButton()}) {
        connect(button, &QPushButton::clicked, this, &GroupSetupFeature::modifyGroup);
    }
    for (QPushButton* button : {tab->deleteGroupButton(), tab->nrDeleteGroupButton()}) {
        connect(button, &QPushButton::clicked, this, &GroupSetupFeature::deleteGroup);
    }
    for (QPushButton* button : {tab->addRecipientButton(), tab->nrAddRecipientButton()}) {
        connect(button, &QPushButton::clicked, this, &GroupSetupFeature::addRecipient);
    }
    for (QPushButton* button : {tab->modifyRecipientButton(), tab->nrModifyRecipientButton()}) {
        connect(button, &QPushButton::clicked, this, &GroupSetupFeature::modifyRecipient);
    }
    for (QPushButton* button : {tab->deleteRecipientButton(), tab->nrDeleteRecipientButton()}) {
        connect(button, &QPushButton::clicked, this, &GroupSetupFeature::deleteRecipients);
    }
    connect(tab, &GroupSetupWidget::viewChanged, this, &GroupSetupFeature::onViewChanged);
    m_recipients.setGroupsOnlyView(!tab->isGroupsRecipientsView());

    window.registerCommand(QStringLiteral("ID_Import"), [this] { importRecipients(); });
    window.registerCommand(QStringLiteral("ID_RepairGroups"), [this] { maintainGroups(false); });

    // The controller is a child of the window and goes while the window is destroyed, so the
    // hooks check that it is still there rather than the controller reaching back into a window
    // that is half gone.
    auto& hooks = window.hooks();
    QPointer<GroupSetupFeature> self(this);
    hooks.loadGroups = [self] {
        if (self) {
            self->loadGroups();
        }
    };
    hooks.closeOpenDatabase = [self] {
        if (self) {
            self->m_groups.closeDatabase();
        }
    };
    hooks.sort = [self] {
        if (self) {
            self->maintainGroups(true);
        }
    };
    hooks.refreshRecipientButtons = [self] {
        if (self) {
            self->refreshRecipientButtons();
        }
    };
}

GroupSetupFeature::~GroupSetupFeature() = default;

void GroupSetupFeature::refreshSettings()
{
    m_groups.setSafeDelete(m_window.settings().safeDelete);
}

QString GroupSetupFeature::selectedGroup() const
{
    return m_groupModel->selectedGroup();
}

void GroupSetupFeature::loadGroups()
{
    refreshSettings();
    QComboBox* chooser = m_window.composer()->groupSelector();
    const QString remembered = chooser->currentText();
    m_groups.loadGroups();

    m_syncing = true;
    m_groupModel->setSelectedGroup({});
    m_groupModel->reload();
    m_recipients.setGroup({});
    (void)m_recipients.loadRecipients(); // clears the list
    m_recipientModel->reload();
    m_syncing = false;

    chooser->clear();
    for (const auto& row : m_groups.rows()) {
        chooser->addItem(QString::fromStdString(row.name));
    }
    if (chooser->count() > 0) {
        const int again = chooser->findText(remembered, Qt::MatchExactly);
        chooser->setCurrentIndex(again >= 0 ? again : 0);
    }
    m_window.showStatus("");
}

void GroupSetupFeature::selectGroup(const QString& name)
{
    const int row = m_groupModel->rowOf(name);
    m_syncing = true;
    GroupSetupWidget* tab = m_window.groupSetup();
    for (QTreeView* view : {tab->groupsView(), tab->groupsOnlyView()}) {
        if (row >= 0) {
            view->setCurrentIndex(m_groupModel->index(row, GroupListModel::NameColumn));
        } else {
            view->selectionModel()->clear();
        }
    }
    m_syncing = false;
    m_groupModel->setSelectedGroup(row >= 0 ? name : QString());
    m_recipients.setGroup(row >= 0 ? name.toStdString() : std::string());
    reloadRecipients();
}

void GroupSetupFeature::onGroupCurrentChanged(QTreeView* view, const QModelIndex& current)
{
    if (m_syncing || !current.isValid()) {
        return;
    }
    (void)view;
    selectGroup(m_groupModel->nameAt(current.row()));
}

void GroupSetupFeature::reloadRecipients()
{
    const auto rowsBefore = m_groups.rows();
    m_recipients.setSearchAvailable(m_window.hasCommand(QStringLiteral("ID_Search")));
    const bool loaded = m_recipients.loadRecipients();
    if (m_groups.rows() != rowsBefore && !loaded) {
        // The group was gone and the lists were rebuilt.
        loadGroups();
        return;
    }
    m_recipientModel->reload();
    m_groupModel->refreshCounts();
    QTreeView* view = m_window.groupSetup()->recipientsView();
    view->header()->resizeSections(QHeaderView::ResizeToContents);
    if (m_recipientModel->rowCount() > 0) {
        view->setCurrentIndex(m_recipientModel->index(0, 0));
    }
}

void GroupSetupFeature::onViewChanged(bool groupsRecipients)
{
    m_recipients.setGroupsOnlyView(!groupsRecipients);
    if (groupsRecipients && !selectedGroup().isEmpty()) {
        reloadRecipients();
    }
}

void GroupSetupFeature::refreshRecipientButtons()
{
    GroupSetupWidget* tab = m_window.groupSetup();
    m_recipients.setGroupsOnlyView(!tab->isGroupsRecipientsView());
    const bool hasRecipients = m_recipientModel->rowCount() > 0;
    tab->modifyRecipientButton()->setEnabled(hasRecipients);
    tab->deleteRecipientButton()->setEnabled(hasRecipients);
}

QString GroupSetupFeature::currentAddress() const
{
    const QModelIndex current = m_window.groupSetup()->recipientsView()->currentIndex();
    return current.isValid() ? m_recipientModel->addressAt(current.row()) : QString();
}

QStringList GroupSetupFeature::selectedAddresses() const
{
    QModelIndexList rows = m_window.groupSetup()->recipientsView()->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList addresses;
    for (const QModelIndex& index : rows) {
        addresses << m_recipientModel->addressAt(index.row());
    }
    return addresses;
}

void GroupSetupFeature::transferRecipients(commands::TransferMode mode)
{
    const bool move = mode == commands::TransferMode::Move;
    if (m_recipientModel->rowCount() == 0) {
        m_window.prompter().message(commands::text::nobodyToTransfer(move, false), Icon::Exclamation);
        return;
    }
    const QStringList addresses = selectedAddresses();
    if (addresses.isEmpty()) {
        m_window.prompter().message(commands::text::selectSomebodyToTransfer(move, false), Icon::Exclamation);
        return;
    }
    refreshSettings();
    // The transfer opens both group files itself.
    m_groups.closeDatabase();
    const QString source = selectedGroup();
    CopyMoveDialog dialog(m_groups, mode, source, addresses, &m_window);
    dialog.exec();
    if (dialog.outcome() == CopyMoveResult::Cancel) {
        return;
    }
    loadGroups();
    selectGroup(source);
}

void GroupSetupFeature::maintainGroups(bool sort)
{
    refreshSettings();
    // Both jobs open the group files themselves.
    m_groups.closeDatabase();
    const QString selected = selectedGroup();
    GroupMaintenanceDialog dialog(
        m_groups, sort ? GroupMaintenanceDialog::Job::Sort : GroupMaintenanceDialog::Job::Repair, selected, &m_window);
    dialog.exec();
    if (dialog.hasChangedGroups()) {
        loadGroups();
        selectGroup(selected);
    }
}

void GroupSetupFeature::addGroup()
{
    refreshSettings();
    m_groups.beginAddGroup();
    GroupDialog dialog(m_groups, {}, &m_window);
    if (dialog.exec() == QDialog::Accepted) {
        m_groups.finishAddGroup();
        loadGroups();
    } else {
        m_groups.clearGroupPaths();
        m_window.showStatus("");
    }
}

void GroupSetupFeature::importRecipients()
{
    refreshSettings();
    // The import opens the group file itself.
    m_groups.closeDatabase();
    QtFileChooser chooser(&m_window);
    ImportWizard::Services services{m_window.prompter(),
                                    m_window.settings(),
                                    m_window.paths().dataDir,
                                    chooser,
                                    [this] {
                                        std::vector<std::string> names;
                                        for (const auto& row : m_groups.loadGroups()) {
                                            names.push_back(row.name);
                                        }
                                        return names;
                                    },
                                    [this](const std::string& name) { return m_groups.groupPath(name); },
                                    [this] { addGroup(); }};
    ImportWizard wizard(std::move(services), &m_window);
    if (m_importHook) {
        m_importHook(wizard);
    }
    wizard.exec();
    const auto selected = selectedGroup();
    loadGroups();
    selectGroup(selected);
}

void GroupSetupFeature::modifyGroup()
{
    refreshSettings();
    const QString name = selectedGroup();
    if (!m_groups.beginModifyGroup(name.toStdString())) {
        return;
    }
    GroupDialog dialog(m_groups, name, &m_window);
    if (dialog.exec() == QDialog::Accepted) {
        const auto renamed = QString::fromStdString(m_groups.finishModifyGroup());
        loadGroups();
        selectGroup(renamed);
    } else {
        m_groups.clearGroupPaths();
    }
}

void GroupSetupFeature::deleteGroup()
{
    refreshSettings();
    const auto outcome = m_groups.deleteGroup(selectedGroup().toStdString());
    if (outcome == store::CommandOutcome::Done || outcome == store::CommandOutcome::Failed) {
        loadGroups();
    }
}

void GroupSetupFeature::addRecipient()
{
    refreshSettings();
    const auto title = m_recipients.beginAddRecipient();
    if (!title) {
        return;
    }
    RecipientDialog dialog(m_recipients, QString::fromStdString(*title), std::nullopt, &m_window);
    const bool written = dialog.exec() == QDialog::Accepted;
    if (written) {
        m_recipients.finishAddRecipient();
    }
    m_recipientModel->reload();
    m_groupModel->refreshCounts();
    if (written && m_recipientModel->rowCount() > 0) {
        m_window.groupSetup()->recipientsView()->setCurrentIndex(
            m_recipientModel->index(m_recipientModel->rowCount() - 1, 0));
    }
}

void GroupSetupFeature::modifyRecipient()
{
    refreshSettings();
    const QString address = currentAddress();
    const int row = m_window.groupSetup()->recipientsView()->currentIndex().row();
    const auto title = m_recipients.beginModifyRecipient(address.toStdString());
    if (!title) {
        return;
    }
    auto record = m_recipients.findRecipient(address.toStdString());
    if (!record) {
        // Gone meanwhile: the dialog writes it as a new record.
        record.emplace();
        record->set(store::RecipientField::EmailAddress, address.toStdString());
    }
    RecipientDialog dialog(m_recipients, QString::fromStdString(*title), record, &m_window);
    dialog.exec();
    m_recipients.setAdding();
    m_recipientModel->reload();
    m_groupModel->refreshCounts();
    if (row >= 0 && row < m_recipientModel->rowCount()) {
        m_window.groupSetup()->recipientsView()->setCurrentIndex(m_recipientModel->index(row, 0));
    }
}

void GroupSetupFeature::deleteRecipients()
{
    refreshSettings();
    std::vector<std::string> addresses;
    for (const QString& address : selectedAddresses()) {
        addresses.push_back(address.toStdString());
    }
    const auto outcome = m_recipients.deleteRecipients(addresses);
    if (outcome == store::CommandOutcome::Done || outcome == store::CommandOutcome::Failed) {
        m_recipientModel->reload();
        m_groupModel->refreshCounts();
        if (m_recipientModel->rowCount() > 0) {
            m_window.groupSetup()->recipientsView()->setCurrentIndex(m_recipientModel->index(0, 0));
        }
    }
}

bool GroupSetupFeature::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress) {
        return QObject::eventFilter(watched, event);
    }
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    GroupSetupWidget* tab = m_window.groupSetup();
    if (watched == tab->recipientsView()) {
        if (enter) {
            modifyRecipient();
            return true;
        }
        if (key == Qt::Key_Delete) {
            deleteRecipients();
            return true;
        }
    } else if (enter && (watched == tab->groupsView() || watched == tab->groupsOnlyView())) {
        modifyGroup();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tidecast::ui
