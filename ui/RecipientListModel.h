#pragma once

#include "ui/RecipientRowsModel.h"

namespace tidecast::ui
{

// The recipient list over the core list's rows, the selected row in bold. At most 32000 rows, so
// a reset fills it at once.
class RecipientListModel : public RecipientRowsModel
{
    Q_OBJECT

public:
    explicit RecipientListModel(const commands::GroupSetupCommands& list, QObject* parent = nullptr)
        : RecipientRowsModel(parent)
        , m_list(list)
    {}

    // Call after the core list changed.
    void reload();
    void setBoldRow(int row);
    int boldRow() const { return m_boldRow; }

protected:
    const std::vector<commands::RecipientRow>& rows() const override { return m_list.rows(); }
    bool isBold(int row) const override { return row == m_boldRow; }

private:
    const commands::GroupSetupCommands& m_list;
    int m_boldRow = -1;
};

} // namespace tidecast::ui
