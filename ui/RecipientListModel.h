#pragma once

#include "commands/GroupSetupCommands.h"

#include <QAbstractTableModel>

namespace tidecast::ui
{

// The recipient list over the core list's rows: first name, last name and address, the
// selected row in bold. At most 32000 rows, so a reset fills it at once.
class RecipientListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        FirstNameColumn = 0,
        LastNameColumn = 1,
        AddressColumn = 2,
    };

    explicit RecipientListModel(const commands::GroupSetupCommands& list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Call after the core list changed.
    void reload();
    void setBoldRow(int row);
    int boldRow() const { return m_boldRow; }
    QString addressAt(int row) const;

private:
    const commands::GroupSetupCommands& m_list;
    int m_boldRow = -1;
};

} // namespace tidecast::ui
