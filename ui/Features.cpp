#include "ui/Features.h"

#include "ui/GroupSetupFeature.h"
#include "ui/MainWindow.h"
#include "ui/MessagesFeature.h"
#include "ui/SendFeature.h"

namespace tidecast::ui
{

void installFeatures(MainWindow& window)
{
    new GroupSetupFeature(window); // owned by the window
    installMessagesFeature(window);
    installSendFeature(window);
}

} // namespace tidecast::ui
