#pragma once

#include "commands/GroupSetupCommands.h"
#include "commands/RecipientTransfer.h"
#include "common/Clock.h"
#include "store/GroupStore.h"
#include "ui/ProgressBarAdapter.h"

#include <QObject>
#include <QStringList>

#include <functional>

class QModelIndex;
class QTreeView;

namespace tidecast::ui
{

class GroupListModel;
class ImportWizard;
class MainWindow;
class RecipientListModel;

// Fills the "Group Setup" tab and runs its commands: the group lists of both views (one model),
// the recipient list, the group and recipient buttons, Enter, double-click and Delete in the
// lists, and the composer's group selector. The window's hooks for loading the groups, closing
// the open group file and refreshing the recipient buttons are set here.
class GroupSetupFeature : public QObject
{
    Q_OBJECT

public:
    explicit GroupSetupFeature(MainWindow& window);
    ~GroupSetupFeature() override;

    store::GroupStore& groups() { return m_groups; }
    commands::GroupSetupCommands& recipients() { return m_recipients; }
    GroupListModel* groupModel() const { return m_groupModel; }
    RecipientListModel* recipientModel() const { return m_recipientModel; }

    // Rebuilds the group lists and the composer's group selector from groups.lst.
    void loadGroups();
    // Selects a group in both lists (bold) and loads its recipients; an empty name clears.
    void selectGroup(const QString& name);
    QString selectedGroup() const;

    void addGroup();
    void modifyGroup();
    void deleteGroup();
    void addRecipient();
    void modifyRecipient();
    void deleteRecipients();
    // The copy-and-move dialog for the selected recipients; the lists show the outcome afterwards.
    void copyRecipients() { transferRecipients(commands::TransferMode::Copy); }
    void moveRecipients() { transferRecipients(commands::TransferMode::Move); }
    // The address of the current row of the recipient list; empty without one.
    QString currentAddress() const;
    // The import wizard into any group; the group lists show the new counts afterwards.
    void importRecipients();
    // The sort or repair window over the group files; the lists are read again after a run.
    void maintainGroups(bool sort);

    // Tests drive the modal wizard: it is handed over before it runs.
    void setImportHook(std::function<void(ImportWizard&)> hook) { m_importHook = std::move(hook); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refreshSettings();
    void onGroupCurrentChanged(QTreeView* view, const QModelIndex& current);
    void onViewChanged(bool groupsRecipients);
    void reloadRecipients();
    void refreshRecipientButtons();
    QStringList selectedAddresses() const;
    void transferRecipients(commands::TransferMode mode);

    MainWindow& m_window;
    SystemClock m_clock;
    ProgressBarAdapter m_progress;
    store::GroupStore m_groups;
    commands::GroupSetupCommands m_recipients;
    GroupListModel* m_groupModel;
    RecipientListModel* m_recipientModel;
    bool m_syncing = false;
    std::function<void(ImportWizard&)> m_importHook;
};

} // namespace tidecast::ui
