#include "ui/SearchResultsModel.h"

#include <QApplication>
#include <QStyle>

namespace tidecast::ui
{

SearchResultsModel::SearchResultsModel(QObject* parent)
    : QAbstractTableModel(parent)
{}

int SearchResultsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int SearchResultsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant SearchResultsModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const auto& row = m_rows[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case FirstNameColumn:
            return QString::fromStdString(row.firstName);
        case LastNameColumn:
            return QString::fromStdString(row.lastName);
        default:
            return QString::fromStdString(row.emailAddress);
        }
    }
    if (role == Qt::DecorationRole && index.column() == FirstNameColumn) {
        return QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    }
    return {};
}

QVariant SearchResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
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

void SearchResultsModel::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void SearchResultsModel::append(std::vector<commands::RecipientRow> rows)
{
    if (rows.empty()) {
        return;
    }
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    m_rows.insert(m_rows.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    endInsertRows();
}

QString SearchResultsModel::addressAt(int row) const
{
    if (row < 0 || row >= static_cast<int>(m_rows.size())) {
        return {};
    }
    return QString::fromStdString(m_rows[static_cast<std::size_t>(row)].emailAddress);
}

} // namespace tidecast::ui
