#pragma once

#include "common/Progress.h"
#include "common/StatusSink.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tidecast::ui
{

// What a job on the worker thread reports, kept under a lock and picked up by its window every
// 100 ms, so a job of a million records does not flood the event queue.
class JobRelay final : public Progress, public StatusSink
{
public:
    static constexpr std::size_t kMaxCounts = 4;
    using Counts = std::array<std::int64_t, kMaxCounts>;

    struct Snapshot
    {
        std::string status;
        std::int64_t maximum = 0;
        std::int64_t value = 0;
        Counts counts{};
    };

    void setLabel(std::string_view text) override { showStatus(text); }
    void setMaximum(std::int64_t maximum) override;
    void setValue(std::int64_t value) override;
    void showStatus(std::string_view text) override;
    void setCounts(const Counts& counts);

    Snapshot take() const;

private:
    mutable std::mutex m_mutex;
    Snapshot m_state;
};

// The frame shared by the progress windows of long core jobs (import, export): a status line, a
// bar, up to four counters and Stop. The job runs on a worker thread once the window shows. Stop,
// or closing the window, shows the stopping text and asks the job to end at its next record;
// pressed before the job started, the job ends at once. When the job has ended the button reads
// "&Close".
class JobProgressDialog : public QDialog
{
    Q_OBJECT

public:
    ~JobProgressDialog() override;

    bool isRunning() const { return m_running; }

    // The Stop button while the job runs, Close once it has ended.
    void stopOrClose();
    // Escape means Stop while the job runs, as closing the window does.
    void reject() override;

protected:
    // Runs on the worker thread with the window's stop token, and returns what the window does
    // with the outcome once back on the GUI thread. It may only use what it captured by value,
    // the relay and objects that outlive the window.
    using Job = std::function<std::function<void()>(std::stop_token)>;

    JobProgressDialog(std::string_view stoppingText, QWidget* parent);

    void setJob(Job job) { m_job = std::move(job); }
    JobRelay& relay() { return *m_relay; }

    QLabel* statusLabel() const { return m_statusLabel; }
    QProgressBar* progressBar() const { return m_bar; }
    QPushButton* stopButton() const { return m_stopButton; }
    // The label that shows counter `index` of the relay, made on first use.
    QLabel* counterLabel(std::size_t index, const char* objectName);

    // Shows how the job ended, in bold when asked.
    void showEnding(std::string_view status, bool bold);

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void start();
    void refresh();
    void finished(const std::function<void()>& outcome);

    std::string m_stoppingText;
    std::unique_ptr<JobRelay> m_relay;
    Job m_job;
    std::stop_source m_stop;
    std::thread m_worker;
    bool m_started = false;
    bool m_running = false;

    std::array<QLabel*, JobRelay::kMaxCounts> m_counters{};
    QLabel* m_statusLabel;
    QProgressBar* m_bar;
    QPushButton* m_stopButton;
    QTimer* m_refreshTimer;
};

} // namespace tidecast::ui
