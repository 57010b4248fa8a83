#include "ui/GroupMaintenanceDialog.h"

#include "commands/GroupMaintenance.h"
#include "commands/RecipientSearch.h"
#include "common/Progress.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <limits>

namespace tidecast::ui
{

namespace
{

// The job's texts on the line above the bar, its counts on the bar.
class DialogProgress final : public Progress
{
public:
    DialogProgress(QLabel* activity, QProgressBar* bar)
        : m_activity(activity)
        , m_bar(bar)
    {}

    void setLabel(std::string_view text) override
    {
        m_activity->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        m_activity->repaint();
    }
    void setMaximum(std::int64_t maximum) override
    {
        constexpr std::int64_t kLimit = std::numeric_limits<int>::max();
        m_scale = maximum > kLimit ? maximum / kLimit + 1 : 1;
        m_bar->setMaximum(static_cast<int>(maximum / m_scale));
    }
    void setValue(std::int64_t value) override { m_bar->setValue(static_cast<int>(value / m_scale)); }

private:
    QLabel* m_activity;
    QProgressBar* m_bar;
    std::int64_t m_scale = 1;
};

} // namespace

GroupMaintenanceDialog::GroupMaintenanceDialog(store::GroupStore& groups, Job job, const QString& selectedGroup,
                                               QWidget* parent)
    : QDialog(parent)
    , m_groups(groups)
    , m_job(job)
    , m_groupList(new QListWidget(this))
    , m_activity(new QLabel(this))
    , m_bar(new QProgressBar(this))
    , m_run(new QPushButton(job == Job::Sort ? tr("&Sort") : tr("&Repair"), this))
{
    const bool sort = job == Job::Sort;
    setObjectName(sort ? QStringLiteral("sortDialog") : QStringLiteral("repairDialog"));
    setWindowTitle(sort ? tr("Sort") : tr("Repair"));
    m_groupList->setObjectName(QStringLiteral("groupsListWidget"));
    m_groupList->setSelectionMode(sort ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    m_activity->setObjectName(QStringLiteral("activityLabel"));
    m_bar->setObjectName(QStringLiteral("progressBar"));
    m_bar->setValue(0);
    m_run->setObjectName(QStringLiteral("runButton"));
    m_run->setDefault(true);
    auto* close = new QPushButton(tr("&Close"), this);
    close->setObjectName(QStringLiteral("closeButton"));

    m_groups.loadGroups();
    for (const auto& row : m_groups.rows()) {
        auto* item = new QListWidgetItem(QString::fromStdString(row.name), m_groupList);
        item->setSelected(item->text() == selectedGroup);
        if (item->isSelected()) {
            m_groupList->setCurrentItem(item);
        }
    }

    auto* form = new QFormLayout;
    auto* groupsLabel = new QLabel(sort ? tr("&Groups to sort:") : tr("&Group to repair:"), this);
    groupsLabel->setBuddy(m_groupList);
    form->addRow(groupsLabel, m_groupList);
    if (sort) {
        m_field = new QComboBox(this);
        m_field->setObjectName(QStringLiteral("fieldComboBox"));
        for (const auto label : commands::GroupMaintenance::sortFieldLabels()) {
            m_field->addItem(QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size())));
        }
        form->addRow(tr("Sort &by:"), m_field);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_run);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form, 1);
    layout->addWidget(m_activity);
    layout->addWidget(m_bar);
    layout->addLayout(buttons);

    const auto updateRun = [this] { m_run->setEnabled(!m_groupList->selectedItems().isEmpty()); };
    connect(m_groupList, &QListWidget::itemSelectionChanged, this, updateRun);
    connect(m_run, &QPushButton::clicked, this, &GroupMaintenanceDialog::run);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    updateRun();
    resize(420, 380);
}

void GroupMaintenanceDialog::run()
{
    // In list order, as the groups are listed, whatever order they were picked in.
    std::vector<std::string> chosen;
    for (int row = 0; row < m_groupList->count(); ++row) {
        if (m_groupList->item(row)->isSelected()) {
            chosen.push_back(m_groupList->item(row)->text().toStdString());
        }
    }
    if (chosen.empty()) {
        return;
    }
    DialogProgress progress(m_activity, m_bar);
    commands::MaintenanceContext context = commands::maintenanceContext(m_groups);
    commands::MaintenanceContext shown{context.dataDir, context.prompter, context.status,
                                       progress,        context.clock,    context.safeDelete};
    commands::GroupMaintenance maintenance(shown);
    setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (m_job == Job::Sort) {
        const auto field = commands::searchFieldName(m_field->currentText().toStdString());
        if (field) {
            (void)maintenance.sortGroups(chosen, *field);
        }
    } else {
        (void)maintenance.repairGroup(chosen.front());
    }
    QApplication::restoreOverrideCursor();
    setEnabled(true);
    m_changed = true;
    m_activity->clear();
    m_bar->setValue(0);
}

} // namespace tidecast::ui
