#include "ui/GroupSetupWidget.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QTreeView>
#include <QVBoxLayout>

namespace tidecast::ui
{

namespace
{

QTreeView* makeList(QWidget* parent, const QString& name)
{
    auto* view = new QTreeView(parent);
    view->setObjectName(name);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true); // lets a list of 32000 rows fill at once
    view->setAllColumnsShowFocus(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    return view;
}

} // namespace

GroupSetupWidget::GroupSetupWidget(QWidget* parent)
    : QWidget(parent)
    , m_stack(new QStackedWidget(this))
{
    setObjectName(QStringLiteral("groupSetupWidget"));

    // Groups/Recipients view.
    auto* pair = new QSplitter(Qt::Horizontal);
    pair->setObjectName(QStringLiteral("groupsRecipientsPage"));

    auto* groupsBox = new QGroupBox(tr("Groups"));
    m_groups = makeList(groupsBox, QStringLiteral("groupsTreeView"));
    m_addGroup = makeButton(tr("Add"), QStringLiteral("addGroupButton"), tr("Add a new group"));
    m_modifyGroup = makeButton(tr("Modify"), QStringLiteral("modifyGroupButton"), tr("Modify the selected group"));
    m_deleteGroup = makeButton(tr("Delete"), QStringLiteral("deleteGroupButton"), tr("Delete the selected group"));
    auto* groupsLayout = new QVBoxLayout(groupsBox);
    groupsLayout->addWidget(m_groups, 1);
    auto* groupButtons = new QHBoxLayout;
    groupButtons->addWidget(m_addGroup);
    groupButtons->addWidget(m_modifyGroup);
    groupButtons->addWidget(m_deleteGroup);
    groupsLayout->addLayout(groupButtons);

    auto* recipientsBox = new QGroupBox(tr("Recipients"));
    m_recipients = makeList(recipientsBox, QStringLiteral("recipientsTreeView"));
    m_recipients->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_addRecipient = makeButton(tr("Add"), QStringLiteral("addRecipientButton"), tr("Add a new recipient"));
    m_modifyRecipient =
        makeButton(tr("Modify"), QStringLiteral("modifyRecipientButton"), tr("Modify the selected recipient"));
    m_deleteRecipient =
        makeButton(tr("Delete"), QStringLiteral("deleteRecipientButton"), tr("Delete the selected recipients"));
    auto* recipientsLayout = new QVBoxLayout(recipientsBox);
    recipientsLayout->addWidget(m_recipients, 1);
    auto* recipientButtons = new QHBoxLayout;
    recipientButtons->addWidget(m_addRecipient);
    recipientButtons->addWidget(m_modifyRecipient);
    recipientButtons->addWidget(m_deleteRecipient);
    recipientsLayout->addLayout(recipientButtons);

    pair->addWidget(groupsBox);
    pair->addWidget(recipientsBox);
    pair->setStretchFactor(0, 2);
    pair->setStretchFactor(1, 3);

    // Single-list view.
    auto* single = new QGroupBox(tr("Groups"));
    single->setObjectName(QStringLiteral("groupsOnlyPage"));
    m_groupsOnly = makeList(single, QStringLiteral("groupsOnlyTreeView"));
    m_nrAddGroup = makeButton(tr("&Add Group"), QStringLiteral("nrAddGroupButton"), tr("Add a new group"));
    m_nrModifyGroup =
        makeButton(tr("Mo&dify Group"), QStringLiteral("nrModifyGroupButton"), tr("Modify the selected group"));
    m_nrDeleteGroup =
        makeButton(tr("De&lete Group"), QStringLiteral("nrDeleteGroupButton"), tr("Delete the selected group"));
    m_nrAddRecipient = makeButton(tr("Add &Recipient"), QStringLiteral("nrAddRecipientButton"),
                                  tr("Add a new recipient to the selected group"));
    m_nrModifyRecipient = makeButton(tr("Modify Re&cipient"), QStringLiteral("nrModifyRecipientButton"),
                                     tr("Modify a recipient of the selected group"));
    m_nrDeleteRecipient = makeButton(tr("Delete Recipie&nt"), QStringLiteral("nrDeleteRecipientButton"),
                                     tr("Delete recipients of the selected group"));
    // The groups-only view shows no recipient to choose, so there is nothing to modify or delete.
    m_nrModifyRecipient->setEnabled(false);
    m_nrDeleteRecipient->setEnabled(false);
    auto* singleLayout = new QHBoxLayout(single);
    singleLayout->addWidget(m_groupsOnly, 1);
    auto* singleButtons = new QVBoxLayout;
    for (auto* button :
         {m_nrAddGroup, m_nrModifyGroup, m_nrDeleteGroup, m_nrAddRecipient, m_nrModifyRecipient, m_nrDeleteRecipient}) {
        singleButtons->addWidget(button);
    }
    singleButtons->addStretch(1);
    singleLayout->addLayout(singleButtons);

    m_stack->addWidget(pair);
    m_stack->addWidget(single);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_stack);
}

QPushButton* GroupSetupWidget::makeButton(const QString& text, const QString& name, const QString& tip)
{
    auto* button = new QPushButton(text);
    button->setObjectName(name);
    button->setToolTip(tip);
    return button;
}

bool GroupSetupWidget::isGroupsRecipientsView() const
{
    return m_stack->currentIndex() == 0;
}

void GroupSetupWidget::showGroupsRecipientsView()
{
    m_stack->setCurrentIndex(0);
    emit viewChanged(true);
}

void GroupSetupWidget::showGroupsOnlyView()
{
    m_stack->setCurrentIndex(1);
    emit viewChanged(false);
}

} // namespace tidecast::ui
