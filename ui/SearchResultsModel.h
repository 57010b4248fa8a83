#pragma once

#include "commands/GroupSetupCommands.h"

#include <QAbstractTableModel>

#include <vector>

namespace tidecast::ui
{

// The search window's result list: rows as in the recipient list (icon, first name, last name,
// address). Rows arrive in batches while a search runs; there is no limit on their number.
class SearchResultsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        FirstNameColumn = 0,
        LastNameColumn = 1,
        AddressColumn = 2,
    };

    explicit SearchResultsModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void clear();
    void append(std::vector<commands::RecipientRow> rows);
    QString addressAt(int row) const;

private:
    std::vector<commands::RecipientRow> m_rows;
};

} // namespace tidecast::ui
