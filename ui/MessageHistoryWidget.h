#pragma once

#include <QWidget>

class QPushButton;
class QTreeView;

namespace tidecast::ui
{

// The "Message History" tab: the "Previously Sent Messages" list with "Open" and "Delete".
class MessageHistoryWidget : public QWidget
{
    Q_OBJECT

public:
    explicit MessageHistoryWidget(QWidget* parent = nullptr);

    QTreeView* messagesView() const { return m_messages; }
    QPushButton* openButton() const { return m_open; }
    QPushButton* deleteButton() const { return m_delete; }

private:
    QTreeView* m_messages;
    QPushButton* m_open;
    QPushButton* m_delete;
};

} // namespace tidecast::ui
