#include "ui/TransferFeature.h"

#include "ui/ExclusionListDialog.h"
#include "ui/GroupSetupFeature.h"
#include "ui/MainWindow.h"
#include "ui/QtFileChooser.h"

namespace tidecast::ui
{

TransferFeature::TransferFeature(MainWindow& window, GroupSetupFeature& groups)
    : QObject(&window)
    , m_window(window)
    , m_groups(groups)
    , m_chooser(std::make_unique<QtFileChooser>(&window))
{
    setObjectName(QStringLiteral("transferFeature"));
    window.registerCommand(QStringLiteral("ID_ExportRecipients"), [this] { openExport(transfer::ExportMode::Groups); });
    window.registerCommand(QStringLiteral("ID_ExclusionList"), [this] { openExclusionList(); });
}

TransferFeature::~TransferFeature() = default;

std::vector<std::string> TransferFeature::listedGroups() const
{
    std::vector<std::string> groups;
    for (const auto& row : m_groups.groups().rows()) {
        groups.push_back(row.name);
    }
    return groups;
}

void TransferFeature::openExport(transfer::ExportMode mode)
{
    // The export may sort the group's file, so nothing else may hold it open.
    if (m_window.hooks().closeOpenDatabase) {
        m_window.hooks().closeOpenDatabase();
    }
    ExportDialog::Setup setup{mode, listedGroups(), m_groups.selectedGroup().toStdString(), m_window.paths().dataDir};
    ExportDialog dialog(std::move(setup), m_window.settings(), m_window.prompter(), *m_chooser, &m_window);
    if (m_exportHook) {
        m_exportHook(dialog);
    } else {
        dialog.exec();
    }
}

void TransferFeature::openExclusionList(const QString& handedAddress)
{
    if (m_window.hooks().closeOpenDatabase) {
        m_window.hooks().closeOpenDatabase();
    }
    ExclusionListDialog dialog({m_window.paths().dataDir, listedGroups(), handedAddress, m_chooser.get()},
                               m_window.prompter(), &m_window);
    dialog.setExportHandler([this] { openExport(transfer::ExportMode::ExclusionList); });
    if (m_exclusionHook) {
        m_exclusionHook(dialog);
    } else {
        dialog.exec();
    }
}

TransferFeature* installTransferFeature(MainWindow& window, GroupSetupFeature& groups)
{
    return new TransferFeature(window, groups); // owned by the window
}

} // namespace tidecast::ui
