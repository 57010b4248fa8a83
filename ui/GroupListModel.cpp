#include "ui/GroupListModel.h"

#include <QApplication>
#include <QFont>
#include <QStyle>

namespace tidecast::ui
{

GroupListModel::GroupListModel(const store::GroupStore& groups, QObject* parent)
    : QAbstractTableModel(parent)
    , m_groups(groups)
{}

int GroupListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_groups.rows().size());
}

int GroupListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant GroupListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const auto& row = m_groups.rows()[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == NameColumn) {
            return QString::fromStdString(row.name);
        }
        return QString::number(row.count);
    case Qt::DecorationRole:
        if (index.column() == NameColumn) {
            return QApplication::style()->standardIcon(QStyle::SP_DirIcon);
        }
        return {};
    case Qt::FontRole:
        if (QString::fromStdString(row.name) == m_selected) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == CountColumn) {
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        }
        return {};
    default:
        return {};
    }
}

QVariant GroupListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    return section == NameColumn ? tr("Group Name") : tr("Recipients");
}

void GroupListModel::reload()
{
    beginResetModel();
    endResetModel();
}

void GroupListModel::refreshCounts()
{
    if (rowCount() > 0) {
        emit dataChanged(index(0, CountColumn), index(rowCount() - 1, CountColumn), {Qt::DisplayRole});
    }
}

void GroupListModel::setSelectedGroup(const QString& name)
{
    const int before = rowOf(m_selected);
    m_selected = name;
    for (const int row : {before, rowOf(name)}) {
        if (row >= 0) {
            emit dataChanged(index(row, NameColumn), index(row, CountColumn), {Qt::FontRole});
        }
    }
}

QString GroupListModel::nameAt(int row) const
{
    if (row < 0 || row >= rowCount()) {
        return {};
    }
    return QString::fromStdString(m_groups.rows()[static_cast<std::size_t>(row)].name);
}

int GroupListModel::rowOf(const QString& name) const
{
    return name.isEmpty() ? -1 : m_groups.rowOf(name.toStdString());
}

} // namespace tidecast::ui
