#include "ui/RecipientListModel.h"

namespace tidecast::ui
{

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

} // namespace tidecast::ui
