#pragma once

#include "store/GroupStore.h"

#include <QAbstractTableModel>

namespace tidecast::ui
{

// The group list over the group store's rows: "Group Name" and "Recipients", the selected group
// in bold. Both group views of the main window share one instance.
class GroupListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        NameColumn = 0,
        CountColumn = 1,
    };

    explicit GroupListModel(const store::GroupStore& groups, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Call after the store's rows were rebuilt.
    void reload();
    // Call after counts changed in place.
    void refreshCounts();

    void setSelectedGroup(const QString& name);
    const QString& selectedGroup() const { return m_selected; }
    QString nameAt(int row) const;
    int rowOf(const QString& name) const;

private:
    const store::GroupStore& m_groups;
    QString m_selected;
};

} // namespace tidecast::ui
