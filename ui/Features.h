#pragma once

namespace tidecast::ui
{

class MainWindow;

// Plugs every feature (groups, messages, sending, ...) into the main window: each registers the
// handlers of its command identifiers and fills the window's hooks.
void installFeatures(MainWindow& window);

} // namespace tidecast::ui
