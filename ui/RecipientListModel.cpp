#include "ui/RecipientListModel.h"

#include <QApplication>
#include <QFont>
#include <QStyle>

namespace tidecast::ui
{

RecipientListModel::RecipientListModel(const commands::GroupSetupCommands& list, QObject* parent)
    : QAbstractTableModel(parent)
    , m_list(list)
{}

int RecipientListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_list.rows().size());
}

int RecipientListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant RecipientListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const auto& row = m_list.rows()[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case FirstNameColumn:
            return QString::fromStdString(row.firstName);
        case LastNameColumn:
            return QString::fromStdString(row.lastName);
        default:
            return QString::fromStdString(row.emailAddress);
        }
    case Qt::DecorationRole:
        if (index.column() == FirstNameColumn) {
            return QApplication::style()->standardIcon(QStyle::SP_FileIcon);
        }
        return {};
    case Qt::FontRole:
        if (index.row() == m_boldRow) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    default:
        return {};
    }
}

QVariant RecipientListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
    case FirstNameColumn:
        return tr("First Name");
    case LastNameColumn:
        return tr("Last Name");
    default:
        return tr("Email Address");
    }
}

void RecipientListModel::reload()
{
    beginResetModel();
    m_boldRow = -1;
    endResetModel();
}

void RecipientListModel::setBoldRow(int row)
{
    const int before = m_boldRow;
    m_boldRow = row >= 0 && row < rowCount() ? row : -1;
    for (const int changed : {before, m_boldRow}) {
        if (changed >= 0 && changed < rowCount()) {
            emit dataChanged(index(changed, FirstNameColumn), index(changed, AddressColumn), {Qt::FontRole});
        }
    }
}

QString RecipientListModel::addressAt(int row) const
{
    if (row < 0 || row >= rowCount()) {
        return {};
    }
    return QString::fromStdString(m_list.rows()[static_cast<std::size_t>(row)].emailAddress);
}

} // namespace tidecast::ui
