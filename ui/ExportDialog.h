#pragma once

#include "common/Prompter.h"
#include "messages/FileChooser.h"
#include "settings/Settings.h"
#include "transfer/ExportSources.h"

#include <QDialog>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tidecast::ui
{

class ExportProgressDialog;
class FilterListWidget;

// "Export a Group...": the source, the fields and their order, the delimiter, the header line,
// the sort, the export filters and the output file. Start hands the choice to the export
// progress window.
class ExportDialog : public QDialog
{
    Q_OBJECT

public:
    struct Setup
    {
        transfer::ExportMode mode = transfer::ExportMode::Groups;
        std::vector<std::string> groups; // the listed groups, in list order
        std::string currentGroup;        // preselected in the Groups mode
        std::filesystem::path dataDir;
    };

    // `settings` keeps "LastExportDir" and "DBSafe Delete"; `prompter` must be safe to call from
    // the progress window's worker thread.
    ExportDialog(Setup setup, settings::Settings& settings, Prompter& prompter, messages::FileChooser& chooser,
                 QWidget* parent = nullptr);

    // Tests drive the progress window: it is handed over instead of being run modally.
    void setProgressHook(std::function<void(ExportProgressDialog&)> hook) { m_progressHook = std::move(hook); }

    // The request that Start would hand over.
    transfer::ExportRequest request() const;
    const transfer::ExportSourceChoice& source() const;

    void chooseSource(int index);
    void selectOutputFile();
    void toggleSelectAll();
    void moveFieldUp();
    void moveFieldDown();
    void start();

private:
    void fillFieldLists(transfer::ExportSource kind);
    void moveField(int offset);
    void onSortToggled(bool on);

    Setup m_setup;
    settings::Settings& m_settings;
    Prompter& m_prompter;
    messages::FileChooser& m_chooser;
    std::vector<transfer::ExportSourceChoice> m_sources;
    std::function<void(ExportProgressDialog&)> m_progressHook;
    std::optional<transfer::ExportSource> m_shownKind;

    QComboBox* m_sourceBox;
    QListWidget* m_fieldList;
    QPushButton* m_selectAllButton;
    QComboBox* m_delimiterBox;
    QCheckBox* m_headerBox;
    QCheckBox* m_byteOrderMarkBox;
    QCheckBox* m_sortBox;
    QComboBox* m_sortFieldBox;
    QLineEdit* m_outputEdit;
    FilterListWidget* m_filters;
};

} // namespace tidecast::ui
