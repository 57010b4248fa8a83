#pragma once

#include <QString>
#include <QVector>

namespace tidecast::ui
{

// One entry of the menu bar: a caption with its command identifier and one-line description.
// An entry with children is a submenu; an entry with an empty identifier is a separator.
struct MenuEntry
{
    QString caption;
    QString id;
    QString description;
    QVector<MenuEntry> children;

    bool isSeparator() const { return id.isEmpty(); }
};

// The whole menu bar, in order.
const QVector<MenuEntry>& menuTable();

// The three toolbars: name and identifiers in order, an empty identifier is a separator.
struct ToolbarEntry
{
    QString name;
    QVector<QString> ids;
};
const QVector<ToolbarEntry>& toolbarTable();

} // namespace tidecast::ui
