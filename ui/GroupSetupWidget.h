#pragma once

#include <QWidget>

class QPushButton;
class QStackedWidget;
class QTreeView;

namespace tidecast::ui
{

// The "Group Setup" tab. Two views: the Groups/Recipients view with the group list and the
// recipient list side by side, and the single-list view ("Groups Only") with one wider group
// list and its own recipient buttons.
class GroupSetupWidget : public QWidget
{
    Q_OBJECT

public:
    explicit GroupSetupWidget(QWidget* parent = nullptr);

    // Groups/Recipients view.
    QTreeView* groupsView() const { return m_groups; }
    QTreeView* recipientsView() const { return m_recipients; }
    QPushButton* addGroupButton() const { return m_addGroup; }
    QPushButton* modifyGroupButton() const { return m_modifyGroup; }
    QPushButton* deleteGroupButton() const { return m_deleteGroup; }
    QPushButton* addRecipientButton() const { return m_addRecipient; }
    QPushButton* modifyRecipientButton() const { return m_modifyRecipient; }
    QPushButton* deleteRecipientButton() const { return m_deleteRecipient; }

    // Single-list ("NR") view.
    QTreeView* groupsOnlyView() const { return m_groupsOnly; }
    QPushButton* nrAddGroupButton() const { return m_nrAddGroup; }
    QPushButton* nrModifyGroupButton() const { return m_nrModifyGroup; }
    QPushButton* nrDeleteGroupButton() const { return m_nrDeleteGroup; }
    QPushButton* nrAddRecipientButton() const { return m_nrAddRecipient; }
    QPushButton* nrModifyRecipientButton() const { return m_nrModifyRecipient; }
    QPushButton* nrDeleteRecipientButton() const { return m_nrDeleteRecipient; }

    bool isGroupsRecipientsView() const;
    void showGroupsRecipientsView();
    void showGroupsOnlyView();

signals:
    void viewChanged(bool groupsRecipients);

private:
    QPushButton* makeButton(const QString& text, const QString& name, const QString& tip);

    QStackedWidget* m_stack;
    QTreeView* m_groups;
    QTreeView* m_recipients;
    QTreeView* m_groupsOnly;
    QPushButton* m_addGroup;
    QPushButton* m_modifyGroup;
    QPushButton* m_deleteGroup;
    QPushButton* m_addRecipient;
    QPushButton* m_modifyRecipient;
    QPushButton* m_deleteRecipient;
    QPushButton* m_nrAddGroup;
    QPushButton* m_nrModifyGroup;
    QPushButton* m_nrDeleteGroup;
    QPushButton* m_nrAddRecipient;
    QPushButton* m_nrModifyRecipient;
    QPushButton* m_nrDeleteRecipient;
};

} // namespace tidecast::ui
