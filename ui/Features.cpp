#include "ui/Features.h"

#include "ui/GroupSetupController.h"
#include "ui/MainWindow.h"

namespace tidecast::ui
{

void installFeatures(MainWindow& window)
{
    (void)window;
    new GroupSetupController(window); // owned by the window
}

} // namespace tidecast::ui
