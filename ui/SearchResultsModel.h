#pragma once

#include "ui/RecipientRowsModel.h"

#include <vector>

namespace tidecast::ui
{

// The search window's result list: rows as in the recipient list. Rows arrive in batches while a
// search runs; there is no limit on their number.
class SearchResultsModel : public RecipientRowsModel
{
    Q_OBJECT

public:
    explicit SearchResultsModel(QObject* parent = nullptr)
        : RecipientRowsModel(parent)
    {}

    void clear();
    void append(std::vector<commands::RecipientRow> rows);

protected:
    const std::vector<commands::RecipientRow>& rows() const override { return m_rows; }

private:
    std::vector<commands::RecipientRow> m_rows;
};

} // namespace tidecast::ui
