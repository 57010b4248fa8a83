#include "ui/RecipientRowsModel.h"

#include <QApplication>
#include <QFont>
#include <QStyle>

namespace tidecast::ui
{

int RecipientRowsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows().size());
}

int RecipientRowsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant RecipientRowsModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const auto& row = rows()[static_cast<std::size_t>(index.row())];
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
        if (isBold(index.row())) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    default:
        return {};
    }
}

QVariant RecipientRowsModel::headerData(int section, Qt::Orientation orientation, int role) const
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

QString RecipientRowsModel::addressAt(int row) const
{
    if (row < 0 || row >= rowCount()) {
        return {};
    }
    return QString::fromStdString(rows()[static_cast<std::size_t>(row)].emailAddress);
}

} // namespace tidecast::ui
