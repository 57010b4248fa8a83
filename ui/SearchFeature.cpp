#include "ui/SearchFeature.h"

#include "ui/GroupSetupFeature.h"
#include "ui/MainWindow.h"
#include "ui/SearchWindow.h"

namespace tidecast::ui
{

void installSearchFeature(MainWindow& window, GroupSetupFeature& groups)
{
    window.registerCommand(QStringLiteral("ID_Search"), [&window, &groups] {
        if (window.hooks().closeOpenDatabase) {
            window.hooks().closeOpenDatabase();
        }
        const QString selected = groups.selectedGroup();
        SearchWindow search(groups.groups(), selected, &window);
        search.exec();
        if (search.needsReload()) {
            groups.loadGroups();
            groups.selectGroup(selected);
        }
    });
}

} // namespace tidecast::ui
