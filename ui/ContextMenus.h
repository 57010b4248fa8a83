#pragma once

#include <QObject>

class QMenu;
class QPoint;
class QWidget;

namespace tidecast::ui
{

class GroupSetupFeature;
class MainWindow;
class MessagesFeature;
class TransferFeature;

// The right-click menus of the main window: "Group" on both group lists, "Recipient" on the
// recipient list, "Messages" on the message list and "Edit" in the message editor. Each entry runs
// a command that exists elsewhere; the group and recipient menus also switch between the two views.
class ContextMenus : public QObject
{
    Q_OBJECT

public:
    ContextMenus(MainWindow& window, GroupSetupFeature& groups, MessagesFeature& messages, TransferFeature& transfer);

    // The menu `source` shows at `at` (in its viewport's coordinates), built afresh so that its
    // entries are enabled and captioned as the window stands; null for a widget without one.
    QMenu* buildMenu(QWidget* source, const QPoint& at);

private:
    void offerMenu(QWidget* source, QWidget* area);
    QMenu* buildGroupMenu(QWidget* parent);
    QMenu* buildRecipientMenu(QWidget* parent);
    QMenu* buildMessagesMenu(QWidget* parent);
    QMenu* buildEditMenu(QWidget* parent);
    void addViewSwitch(QMenu* menu);

    MainWindow& m_window;
    GroupSetupFeature& m_groups;
    MessagesFeature& m_messages;
    TransferFeature& m_transfer;
};

ContextMenus* installContextMenus(MainWindow& window, GroupSetupFeature& groups, MessagesFeature& messages,
                                  TransferFeature& transfer);

} // namespace tidecast::ui
