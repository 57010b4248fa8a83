#include "ui/Features.h"

#include "ui/ContextMenus.h"
#include "ui/GroupSetupFeature.h"
#include "ui/MainWindow.h"
#include "ui/MessagesFeature.h"
#include "ui/PluginsFeature.h"
#include "ui/SearchFeature.h"
#include "ui/SendFeature.h"
#include "ui/TransferFeature.h"

namespace tidecast::ui
{

void installFeatures(MainWindow& window)
{
    // Each is owned by the window and handed the features it works with.
    auto* groups = new GroupSetupFeature(window);
    auto* messages = installMessagesFeature(window);
    installSendFeature(window, *messages, *groups);
    auto* transfer = installTransferFeature(window, *groups);
    installSearchFeature(window, *groups, *transfer);
    installContextMenus(window, *groups, *messages, *transfer);
    installPluginsFeature(window);
}

} // namespace tidecast::ui
