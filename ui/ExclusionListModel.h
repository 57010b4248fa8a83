#pragma once

#include "transfer/ExclusionList.h"

#include <QAbstractTableModel>

namespace tidecast::ui
{

// The exclusion list window's two columns, "Recipient" and "Group", over the core list. The list
// has no size limit: the view asks only for the rows it shows.
class ExclusionListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        RecipientColumn = 0,
        GroupColumn = 1,
    };

    explicit ExclusionListModel(const transfer::ExclusionList& list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Call around a change of the core list.
    void beginChange() { beginResetModel(); }
    void endChange() { endResetModel(); }
    // Call right after the core list changed, before any event is processed.
    void reload()
    {
        beginResetModel();
        endResetModel();
    }

private:
    const transfer::ExclusionList& m_list;
};

} // namespace tidecast::ui
