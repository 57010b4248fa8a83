#pragma once

#include "messages/MessageList.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <vector>

namespace tidecast::ui
{

// The "Previously Sent Messages" list: group, subject and date of each sent copy, with a message
// icon and, for messages with attachments, an attachment icon. The body's first 100 characters
// are the tool tip.
class MessageListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        GroupColumn,
        SubjectColumn,
        DateColumn,
        ColumnCount,
    };

    explicit MessageListModel(QObject* parent = nullptr);

    void setEntries(std::vector<messages::MessageListEntry> entries);
    void append(messages::MessageListEntry entry);
    std::vector<messages::MessageListEntry>& entries() { return m_entries; }
    const messages::MessageListEntry& entry(int row) const { return m_entries.at(static_cast<std::size_t>(row)); }
    // Call after the entries were changed in place (a delete).
    void reset();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<messages::MessageListEntry> m_entries;
    QIcon m_messageIcon;
    QIcon m_attachmentIcon;
};

} // namespace tidecast::ui
