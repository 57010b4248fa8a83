#include "ui/ExclusionListModel.h"

namespace tidecast::ui
{

ExclusionListModel::ExclusionListModel(const transfer::ExclusionList& list, QObject* parent)
    : QAbstractTableModel(parent)
    , m_list(list)
{}

int ExclusionListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_list.size());
}

int ExclusionListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant ExclusionListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
        role != Qt::DisplayRole) {
        return {};
    }
    const auto& entry = m_list.entries()[static_cast<std::size_t>(index.row())];
    return QString::fromStdString(index.column() == RecipientColumn ? entry.emailAddress : entry.group);
}

QVariant ExclusionListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    return section == RecipientColumn ? tr("Recipient") : tr("Group");
}

} // namespace tidecast::ui
