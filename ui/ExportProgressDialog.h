#pragma once

#include "common/Prompter.h"
#include "transfer/Exporter.h"
#include "ui/JobProgressDialog.h"

namespace tidecast::ui
{

// "Export Progress": runs one export on a worker thread once shown, with the output path, the
// source, the exported and ignored counts and Stop, which takes effect at the next record. When
// the export ends the status shows how, and Stop becomes Close.
class ExportProgressDialog : public JobProgressDialog
{
    Q_OBJECT

public:
    // `prompter` must be safe to call from the worker thread (QtPrompter is).
    ExportProgressDialog(transfer::ExportRequest request, const QString& sourceName, bool doubleByteSafe,
                         Prompter& prompter, QWidget* parent = nullptr);

    const transfer::ExportOutcome& outcome() const { return m_outcome; }

private:
    void ended(const transfer::ExportOutcome& outcome);

    transfer::ExportOutcome m_outcome;
};

} // namespace tidecast::ui
