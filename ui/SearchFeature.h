#pragma once

namespace tidecast::ui
{

class GroupSetupFeature;
class MainWindow;

// The main window's search command: the search window on the selected group, and the reload of
// the group and recipient lists afterwards when the search changed them.
void installSearchFeature(MainWindow& window, GroupSetupFeature& groups);

} // namespace tidecast::ui
