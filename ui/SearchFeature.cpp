#include "ui/SearchFeature.h"

#include "ui/GroupSetupFeature.h"
#include "ui/MainWindow.h"
#include "ui/SearchWindow.h"
#include "ui/TransferFeature.h"

namespace tidecast::ui
{

void installSearchFeature(MainWindow& window, GroupSetupFeature& groups, TransferFeature& transfers)
{
    window.registerCommand(QStringLiteral("ID_Search"), [&window, &groups, &transfers] {
        if (window.hooks().closeOpenDatabase) {
            window.hooks().closeOpenDatabase();
        }
        const QString selected = groups.selectedGroup();
        SearchWindow search(groups.groups(), selected, &window);
        search.setExportHandler([&transfers] { transfers.openExport(transfer::ExportMode::SearchResults); });
        search.setExclusionHandler([&transfers](const QString& address) { transfers.openExclusionList(address); });
        search.exec();
        if (search.needsReload()) {
            groups.loadGroups();
            groups.selectGroup(selected);
        }
    });
}

} // namespace tidecast::ui
