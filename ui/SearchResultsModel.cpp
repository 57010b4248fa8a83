#include "ui/SearchResultsModel.h"

namespace tidecast::ui
{

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

} // namespace tidecast::ui
