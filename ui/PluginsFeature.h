#pragma once

namespace tidecast::ui
{

class MainWindow;

// The outside tools of the plug-in menu: their items from the settings file at start-up, a run of
// one with the main window disabled until it exits, and the items taken out again at shutdown.
void installPluginsFeature(MainWindow& window);

} // namespace tidecast::ui
