#include "ui/Features.h"

#include "ui/GroupSetupController.h"
#include "ui/MainWindow.h"
#include "ui/MessagesFeature.h"

namespace tidecast::ui
{

void installFeatures(MainWindow& window)
{
    new GroupSetupController(window); // owned by the window
    installMessagesFeature(window);
}

} // namespace tidecast::ui
