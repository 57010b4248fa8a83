#pragma once

#include <QIcon>
#include <QString>

namespace tidecast::ui
{

// Icons come from the desktop's icon theme by their standard names (edit-cut, document-save, ...);
// where the theme has none, from the fallback theme the package depends on. Safe to call often.
void useDesktopIconTheme();

// The theme icon for a menu or toolbar command, or a null icon for a command without one.
QIcon commandIcon(const QString& id);

} // namespace tidecast::ui
