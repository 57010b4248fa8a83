#pragma once

#include "common/Prompter.h"
#include "messages/FileChooser.h"
#include "transfer/ExclusionEditor.h"

#include <QDialog>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QTreeView;

namespace tidecast::ui
{

class ExcludeRecipientDialog;
class ExclusionImportDialog;
class ExclusionListModel;

// "Exclusion List": shows the whole list, adds (also at once with an address handed over),
// deletes, exports and imports entries. Only OK writes the file, keeping the previous one as the
// ".old" backup; Cancel leaves it as it was.
class ExclusionListDialog : public QDialog
{
    Q_OBJECT

public:
    struct Setup
    {
        std::filesystem::path dataDir;
        std::vector<std::string> groups;          // the listed groups, in list order
        QString handedAddress;                    // opens the Add dialog at once when not empty
        messages::FileChooser* chooser = nullptr; // the import's Select; none offers no file dialog
    };

    ExclusionListDialog(Setup setup, Prompter& prompter, QWidget* parent = nullptr);
    ~ExclusionListDialog() override;

    // Tests answer the modal windows: the Add and Import dialogs before they run, and the export,
    // which the window opens after writing the list for it (by default an export window in its
    // exclusion list mode).
    void setAddHook(std::function<void(ExcludeRecipientDialog&)> hook) { m_addHook = std::move(hook); }
    void setExportHandler(std::function<void()> handler) { m_exportHandler = std::move(handler); }
    void setImportHook(std::function<void(ExclusionImportDialog&)> hook) { m_importHook = std::move(hook); }

    const transfer::ExclusionList& list() const { return m_editor.list(); }
    QTreeView* view() const { return m_view; }

    void addEntry();
    void deleteSelected();
    void deleteAll();
    void exportList();
    void importEntries();
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openAddDialog(const QString& address);
    void refreshCount();

    Setup m_setup;
    Prompter& m_prompter;
    transfer::ExclusionEditor m_editor;
    std::vector<std::string> m_groupChoices;
    std::function<void(ExcludeRecipientDialog&)> m_addHook;
    std::function<void()> m_exportHandler;
    std::function<void(ExclusionImportDialog&)> m_importHook;
    bool m_shown = false;

    ExclusionListModel* m_model;
    QTreeView* m_view;
    QLabel* m_countLabel;
};

} // namespace tidecast::ui
