#pragma once

#include <QString>

namespace tidecast::ui
{

// Finds a file the program ships with, such as its help page: beside the program file (the build
// folder or a portable copy), else in the program's data folder of an installed tree
// (PREFIX/share/tidecast for PREFIX/bin/tidecast, wherever PREFIX is). Empty when neither holds it.
QString findProgramFile(const QString& programDir, const QString& name);

} // namespace tidecast::ui
