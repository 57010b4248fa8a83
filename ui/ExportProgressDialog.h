#pragma once

#include "common/Prompter.h"
#include "transfer/Exporter.h"

#include <QDialog>

#include <memory>
#include <stop_token>
#include <thread>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tidecast::ui
{

// "Export Progress": runs one export on a worker thread once shown, with the output path, the
// source, the exported and ignored counts and Stop, which takes effect at the next record. When
// the export ends the status shows how, and Stop becomes Close.
class ExportProgressDialog : public QDialog
{
    Q_OBJECT

public:
    // `prompter` must be safe to call from the worker thread (QtPrompter is).
    ExportProgressDialog(transfer::ExportRequest request, const QString& sourceName, bool doubleByteSafe,
                         Prompter& prompter, QWidget* parent = nullptr);
    ~ExportProgressDialog() override;

    bool isRunning() const { return m_running; }
    const transfer::ExportOutcome& outcome() const { return m_outcome; }

    // The Stop button while the export runs.
    void requestStop();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class Relay;

    void start();
    void refresh();
    void finished(transfer::ExportOutcome outcome);

    transfer::ExportRequest m_request;
    bool m_doubleByteSafe;
    Prompter& m_prompter;
    std::unique_ptr<Relay> m_relay;
    std::stop_source m_stop;
    std::thread m_worker;
    bool m_started = false;
    bool m_running = false;
    transfer::ExportOutcome m_outcome;

    QLabel* m_exportedLabel;
    QLabel* m_ignoredLabel;
    QLabel* m_statusLabel;
    QProgressBar* m_progressBar;
    QPushButton* m_stopButton;
    QTimer* m_refreshTimer;
};

} // namespace tidecast::ui
