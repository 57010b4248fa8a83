#include "ui/Features.h"

#include "ui/MainWindow.h"

namespace tidecast::ui
{

void installFeatures(MainWindow& window)
{
    (void)window;
}

} // namespace tidecast::ui
