#pragma once

#include "common/Prompter.h"
#include "transfer/ImportEngine.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <thread>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tidecast::ui
{

// The import's progress window: the source, group, type, delimiter and field count, the four
// counters and a Stop button. The import runs on a worker thread as soon as the window shows;
// Stop ends it at the next record. When it ends the status is shown in bold, the button reads
// "&Close", and the report is offered when some data was illegal.
class ImportProgressDialog : public QDialog
{
    Q_OBJECT

public:
    // `prompter` must be safe to call from the worker thread (QtPrompter is).
    ImportProgressDialog(transfer::ImportRequest request, Prompter& prompter, QWidget* parent = nullptr);
    ~ImportProgressDialog() override;

    // Opens the report; returns false when no program could be started. Tests replace it.
    void setReportOpener(std::function<bool(const std::filesystem::path&)> opener) { m_openReport = std::move(opener); }

    bool isRunning() const { return m_running; }
    const transfer::ImportSummary& summary() const { return m_summary; }

    // The Stop button while the import runs, Close afterwards.
    void stopOrClose();

signals:
    // The import ended (completed, stopped or failed) and the report was offered.
    void importFinished();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class Relay;

    void start();
    void refresh();
    void finished();

    transfer::ImportRequest m_request;
    Prompter& m_prompter;
    std::unique_ptr<Relay> m_relay;
    std::jthread m_worker;
    bool m_started = false;
    bool m_running = false;
    transfer::ImportSummary m_summary;
    std::function<bool(const std::filesystem::path&)> m_openReport;

    QLabel* m_statusLabel;
    QLabel* m_addedLabel;
    QLabel* m_duplicatesLabel;
    QLabel* m_ignoredLabel;
    QLabel* m_illegalLabel;
    QProgressBar* m_bar;
    QPushButton* m_stopButton;
    QTimer* m_refreshTimer;
};

} // namespace tidecast::ui
