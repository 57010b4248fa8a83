#pragma once

namespace tidecast::ui
{

class GroupSetupFeature;
class MainWindow;
class TransferFeature;

// The main window's search command: the search window on the selected group, and the reload of
// the group and recipient lists afterwards when the search changed them. The results' export and
// exclusion entries open the transfer feature's windows.
void installSearchFeature(MainWindow& window, GroupSetupFeature& groups, TransferFeature& transfers);

} // namespace tidecast::ui
