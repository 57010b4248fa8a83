#include "ui/ProgramFiles.h"

#include <QDir>
#include <QFileInfo>

// TIDECAST_DATA_FROM_PROGRAM comes from the build: the installed data folder relative to the
// installed program folder.

namespace tidecast::ui
{

QString findProgramFile(const QString& programDir, const QString& name)
{
    const QDir dir(programDir);
    for (const QString& candidate :
         {dir.filePath(name), dir.filePath(QStringLiteral(TIDECAST_DATA_FROM_PROGRAM "/") + name)}) {
        if (QFileInfo(candidate).isFile()) {
            return QDir::cleanPath(candidate);
        }
    }
    return {};
}

} // namespace tidecast::ui
