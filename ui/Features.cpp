#include "ui/Features.h"

#include "ui/GroupSetupController.h"
#include "ui/MainWindow.h"
#include "ui/MessagesFeature.h"
#include "ui/SendFeature.h"

namespace tidecast::ui
{

void installFeatures(MainWindow& window)
{
    new GroupSetupController(window); // owned by the window
    installMessagesFeature(window);
    installSendFeature(window);
}

} // namespace tidecast::ui
