#include "ui/ContextMenus.h"

#include "ui/ComposerWidget.h"
#include "ui/GroupSetupFeature.h"
#include "ui/GroupSetupWidget.h"
#include "ui/MainWindow.h"
#include "ui/MessageHistoryWidget.h"
#include "ui/MessagesFeature.h"
#include "ui/RecipientListModel.h"
#include "ui/TransferFeature.h"

#include <QAbstractItemView>
#include <QAction>
#include <QItemSelectionModel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>

#include <functional>

namespace tidecast::ui
{

namespace
{

// Right-clicking a row makes it the one the entries act on, unless it is already part of the
// selection the person made.
void selectRowUnder(QAbstractItemView* view, const QPoint& at)
{
    const QModelIndex index = view->indexAt(at);
    if (index.isValid() && !view->selectionModel()->isSelected(index)) {
        view->setCurrentIndex(index);
    }
}

QAction* addEntry(QMenu* menu, const QString& text, bool enabled, const std::function<void()>& run)
{
    QAction* action = menu->addAction(text);
    action->setEnabled(enabled);
    QObject::connect(action, &QAction::triggered, menu, run);
    return action;
}

} // namespace

ContextMenus::ContextMenus(MainWindow& window, GroupSetupFeature& groups, MessagesFeature& messages,
                           TransferFeature& transfer)
    : QObject(&window)
    , m_window(window)
    , m_groups(groups)
    , m_messages(messages)
    , m_transfer(transfer)
{
    setObjectName(QStringLiteral("contextMenus"));
    GroupSetupWidget* tab = window.groupSetup();
    for (QTreeView* view :
         {tab->groupsView(), tab->groupsOnlyView(), tab->recipientsView(), window.history()->messagesView()}) {
        offerMenu(view, view->viewport());
    }
    QPlainTextEdit* body = window.composer()->bodyEdit();
    offerMenu(body, body->viewport());
}

void ContextMenus::offerMenu(QWidget* source, QWidget* area)
{
    source->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(source, &QWidget::customContextMenuRequested, this, [this, source, area](const QPoint& at) {
        if (QMenu* menu = buildMenu(source, at)) {
            menu->setAttribute(Qt::WA_DeleteOnClose);
            menu->popup(area->mapToGlobal(at));
        }
    });
}

QMenu* ContextMenus::buildMenu(QWidget* source, const QPoint& at)
{
    GroupSetupWidget* tab = m_window.groupSetup();
    if (auto* view = qobject_cast<QAbstractItemView*>(source)) {
        selectRowUnder(view, at);
    }
    if (source == tab->groupsView() || source == tab->groupsOnlyView()) {
        return buildGroupMenu(source);
    }
    if (source == tab->recipientsView()) {
        return buildRecipientMenu(source);
    }
    if (source == m_window.history()->messagesView()) {
        return buildMessagesMenu(source);
    }
    if (source == m_window.composer()->bodyEdit()) {
        return buildEditMenu(source);
    }
    return nullptr;
}

QMenu* ContextMenus::buildGroupMenu(QWidget* parent)
{
    auto* menu = new QMenu(QStringLiteral("Group"), parent);
    menu->setObjectName(QStringLiteral("groupContextMenu"));
    GroupSetupWidget* tab = m_window.groupSetup();
    const auto commandEnabled = [this](const char* id) {
        const QAction* action = m_window.commandAction(QString::fromLatin1(id));
        return action != nullptr && action->isEnabled();
    };
    const auto dispatch = [this](const char* id) { return [this, id] { m_window.dispatch(QString::fromLatin1(id)); }; };
    addEntry(menu, QStringLiteral("Modify"), tab->modifyGroupButton()->isEnabled(), [this] { m_groups.modifyGroup(); });
    addEntry(menu, QStringLiteral("Delete"), tab->deleteGroupButton()->isEnabled(), [this] { m_groups.deleteGroup(); });
    menu->addSeparator();
    addEntry(menu, QStringLiteral("Search"), commandEnabled("ID_Search"), dispatch("ID_Search"));
    addEntry(menu, QStringLiteral("Import"), commandEnabled("ID_Import"), dispatch("ID_Import"));
    addEntry(menu, QStringLiteral("Export"), commandEnabled("ID_ExportRecipients"), dispatch("ID_ExportRecipients"));
    menu->addSeparator();
    addEntry(menu, QStringLiteral("Add a Recipient"), tab->addRecipientButton()->isEnabled(),
             [this] { m_groups.addRecipient(); });
    addViewSwitch(menu);
    return menu;
}

QMenu* ContextMenus::buildRecipientMenu(QWidget* parent)
{
    auto* menu = new QMenu(QStringLiteral("Recipient"), parent);
    menu->setObjectName(QStringLiteral("recipientContextMenu"));
    const bool any = m_groups.recipientModel()->rowCount() > 0;
    addEntry(menu, QStringLiteral("Modify"), any, [this] { m_groups.modifyRecipient(); });
    addEntry(menu, QStringLiteral("Delete"), any, [this] { m_groups.deleteRecipients(); });
    menu->addSeparator();
    addEntry(menu, QStringLiteral("Move"), any, [this] { m_groups.moveRecipients(); });
    addEntry(menu, QStringLiteral("Copy"), any, [this] { m_groups.copyRecipients(); });
    menu->addSeparator();
    addEntry(menu, QStringLiteral("Add to Exclusion list"), any,
             [this] { m_transfer.openExclusionList(m_groups.currentAddress()); });
    addViewSwitch(menu);
    return menu;
}

void ContextMenus::addViewSwitch(QMenu* menu)
{
    menu->addSeparator();
    const bool recipientsShown = m_window.groupSetup()->isGroupsRecipientsView();
    // "&&" shows as one ampersand in a menu.
    QAction* view = menu->addAction(recipientsShown ? QStringLiteral("Switch to Group Only View")
                                                    : QStringLiteral("Switch to Group && Recipient View"));
    view->setObjectName(QStringLiteral("viewAction"));
    connect(view, &QAction::triggered, menu, [this, recipientsShown] {
        if (recipientsShown) {
            m_window.switchToGroupsOnlyView();
        } else {
            m_window.switchToGroupsRecipientsView();
        }
    });
}

QMenu* ContextMenus::buildMessagesMenu(QWidget* parent)
{
    auto* menu = new QMenu(QStringLiteral("Messages"), parent);
    menu->setObjectName(QStringLiteral("messagesContextMenu"));
    const bool any = m_window.history()->messagesView()->currentIndex().isValid();
    addEntry(menu, QStringLiteral("Open"), any, [this] { m_messages.openSelectedMessage(); });
    addEntry(menu, QStringLiteral("Delete"), any, [this] { m_messages.deleteSelectedMessage(); });
    return menu;
}

QMenu* ContextMenus::buildEditMenu(QWidget* parent)
{
    parent->setFocus();
    m_messages.updateEditCommands();
    auto* menu = new QMenu(QStringLiteral("Edit"), parent);
    menu->setObjectName(QStringLiteral("composerContextMenu"));
    const auto addCommand = [this, menu](const char* id) {
        if (QAction* action = m_window.commandAction(QString::fromLatin1(id))) {
            menu->addAction(action);
        }
    };
    for (const char* id : {"ID_Undo", "", "ID_Cut", "ID_Copy", "ID_Paste", "ID_Clear", "", "ID_SelectAll", ""}) {
        if (*id == '\0') {
            menu->addSeparator();
        } else {
            addCommand(id);
        }
    }
    if (QMenu* merge = m_window.menuById(QStringLiteral("ID_Insert"))) {
        menu->addMenu(merge);
    }
    addEntry(menu, QStringLiteral("Insert Text from a file"), true,
             [this] { m_window.dispatch(QStringLiteral("ID_TextfromaFile...")); });
    menu->addSeparator();
    addCommand("ID_SpellCheck");
    return menu;
}

ContextMenus* installContextMenus(MainWindow& window, GroupSetupFeature& groups, MessagesFeature& messages,
                                  TransferFeature& transfer)
{
    return new ContextMenus(window, groups, messages, transfer); // owned by the window
}

} // namespace tidecast::ui
