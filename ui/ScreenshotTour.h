#pragma once

#include <QString>

namespace tidecast::ui
{

class MainWindow;

// Renders each tab of the main window and every dialog its commands open into PNG files in
// `folder`, one after the other, then closes the window without saving anything. Used by
// scripts/screenshots.sh for the documentation.
void startScreenshotTour(MainWindow& window, const QString& folder);

} // namespace tidecast::ui
