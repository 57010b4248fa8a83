#pragma once

#include "common/Prompter.h"
#include "transfer/ExclusionImport.h"
#include "transfer/ImportEngine.h"
#include "ui/JobProgressDialog.h"

#include <filesystem>
#include <functional>
#include <vector>

namespace tidecast::ui
{

// "Import Progress": the source, the destination, the four counters and Stop, over either an
// import into a group or an import into the exclusion list. Stop ends the import at the next
// record. When it ends the status is shown in bold and the button reads "&Close"; after an import
// into a group the report is offered when some data was illegal.
class ImportProgressDialog : public JobProgressDialog
{
    Q_OBJECT

public:
    // An import into a group. `prompter` must be safe to call from the worker thread (QtPrompter is).
    ImportProgressDialog(transfer::ImportRequest request, Prompter& prompter, QWidget* parent = nullptr);
    // An import into the exclusion list: `list` is only read while the import runs; the new
    // entries are in addedExclusions() once it has ended.
    ImportProgressDialog(transfer::ExclusionImportRequest request, const transfer::ExclusionList& list,
                         Prompter& prompter, QWidget* parent = nullptr);

    // Opens the report; returns false when no program could be started. Tests replace it.
    void setReportOpener(std::function<bool(const std::filesystem::path&)> opener) { m_openReport = std::move(opener); }

    const transfer::ImportSummary& summary() const { return m_summary; }
    const std::vector<transfer::ExclusionEntry>& addedExclusions() const { return m_addedExclusions; }

signals:
    // The import ended (completed, stopped or failed) and the report was offered.
    void importFinished();

private:
    ImportProgressDialog(const QString& title, Prompter& prompter, QWidget* parent);
    void layOut(QLayout* details);
    void ended(const transfer::ImportSummary& summary, const std::filesystem::path& report);

    Prompter& m_prompter;
    transfer::ImportSummary m_summary;
    std::vector<transfer::ExclusionEntry> m_addedExclusions;
    std::function<bool(const std::filesystem::path&)> m_openReport;
};

} // namespace tidecast::ui
