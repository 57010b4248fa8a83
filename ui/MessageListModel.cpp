#include "ui/MessageListModel.h"

#include <QApplication>
#include <QStyle>

namespace tidecast::ui
{

MessageListModel::MessageListModel(QObject* parent)
    : QAbstractTableModel(parent)
    , m_messageIcon(QApplication::style()->standardIcon(QStyle::SP_FileIcon))
    , m_attachmentIcon(QApplication::style()->standardIcon(QStyle::SP_FileLinkIcon))
{}

void MessageListModel::setEntries(std::vector<messages::MessageListEntry> entries)
{
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

void MessageListModel::append(messages::MessageListEntry entry)
{
    const int row = static_cast<int>(m_entries.size());
    beginInsertRows(QModelIndex(), row, row);
    m_entries.push_back(std::move(entry));
    endInsertRows();
}

void MessageListModel::reset()
{
    beginResetModel();
    endResetModel();
}

int MessageListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
}

int MessageListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant MessageListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= ColumnCount) {
        return {};
    }
    const auto& row = m_entries[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case GroupColumn:
            return QString::fromStdString(row.group);
        case SubjectColumn:
            return QString::fromStdString(row.subject);
        default:
            return QString::fromStdString(row.dateText);
        }
    case Qt::DecorationRole:
        if (index.column() == GroupColumn) {
            return m_messageIcon;
        }
        if (index.column() == SubjectColumn && row.hasAttachments) {
            return m_attachmentIcon;
        }
        return {};
    case Qt::ToolTipRole:
        return QString::fromStdString(row.description);
    case Qt::UserRole:
        return QString::fromStdString(row.path.string());
    case Qt::UserRole + 1:
        return row.hoursSinceSent;
    default:
        return {};
    }
}

QVariant MessageListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
    case GroupColumn:
        return tr("Group");
    case SubjectColumn:
        return tr("Subject");
    case DateColumn:
        return tr("Date Sent");
    default:
        return {};
    }
}

} // namespace tidecast::ui
