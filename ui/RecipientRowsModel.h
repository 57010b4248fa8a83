#pragma once

#include "commands/GroupSetupCommands.h"

#include <QAbstractTableModel>

#include <vector>

namespace tidecast::ui
{

// Recipients shown as the recipient list shows them: an icon and the first name, the last name,
// the address. Subclasses say where the rows are and which one is bold.
class RecipientRowsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        FirstNameColumn = 0,
        LastNameColumn = 1,
        AddressColumn = 2,
    };

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Empty for a row that is not there.
    QString addressAt(int row) const;

protected:
    using QAbstractTableModel::QAbstractTableModel;

    virtual const std::vector<commands::RecipientRow>& rows() const = 0;
    virtual bool isBold(int /*row*/) const { return false; }
};

} // namespace tidecast::ui
