#pragma once

#include "ui/ExportDialog.h"

#include <QObject>

#include <functional>
#include <memory>

namespace tidecast::ui
{

class ExclusionListDialog;
class GroupSetupFeature;
class MainWindow;

// The main window's Export Recipients and Exclusion List commands. Installed once on the window,
// which owns it.
class TransferFeature : public QObject
{
    Q_OBJECT

public:
    TransferFeature(MainWindow& window, GroupSetupFeature& groups);
    ~TransferFeature() override;

    // The export window over the current group, the search results or the exclusion list.
    void openExport(transfer::ExportMode mode);
    // The exclusion list window; a handed address opens its Add dialog at once.
    void openExclusionList(const QString& handedAddress = {});

    // Tests drive the modal windows: each is handed over instead of being run.
    void setExportHook(std::function<void(ExportDialog&)> hook) { m_exportHook = std::move(hook); }
    void setExclusionHook(std::function<void(ExclusionListDialog&)> hook) { m_exclusionHook = std::move(hook); }

private:
    std::vector<std::string> listedGroups() const;

    MainWindow& m_window;
    GroupSetupFeature& m_groups;
    std::unique_ptr<messages::FileChooser> m_chooser;
    std::function<void(ExportDialog&)> m_exportHook;
    std::function<void(ExclusionListDialog&)> m_exclusionHook;
};

TransferFeature* installTransferFeature(MainWindow& window, GroupSetupFeature& groups);

} // namespace tidecast::ui
