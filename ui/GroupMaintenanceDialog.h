#pragma once

#include "store/GroupStore.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace tidecast::ui
{

// The sort and repair windows: the groups to work on (several for a sort, one for a repair), the
// field a sort orders by, and a bar and a line for the work in progress. The window stays open
// for another run until it is closed.
class GroupMaintenanceDialog : public QDialog
{
    Q_OBJECT

public:
    enum class Job
    {
        Sort,
        Repair,
    };

    GroupMaintenanceDialog(store::GroupStore& groups, Job job, const QString& selectedGroup, QWidget* parent = nullptr);

    // Whether a run changed group files, so that the main window reads its lists again.
    bool hasChangedGroups() const { return m_changed; }

    QListWidget* groupList() const { return m_groupList; }
    QComboBox* fieldCombo() const { return m_field; }
    QPushButton* runButton() const { return m_run; }
    QProgressBar* progressBar() const { return m_bar; }

    void run();

private:
    store::GroupStore& m_groups;
    Job m_job;
    bool m_changed = false;
    QListWidget* m_groupList;
    QComboBox* m_field = nullptr;
    QLabel* m_activity;
    QProgressBar* m_bar;
    QPushButton* m_run;
};

} // namespace tidecast::ui
