#pragma once

#include "common/Prompter.h"
#include "mailing/Mailing.h"
#include "mailing/StopControl.h"

#include <QDialog>

#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tidecast::ui
{

// The send dialog: runs one mailing on a worker thread and shows its progress, counters,
// elapsed time and activity. Stop asks first, then takes effect at the next recipient (or cancels
// a connection attempt at once). When the mailing ends it opens the results and closes: accepted
// for "SUCCESS", rejected for "CANCEL".
class SendProgressDialog : public QDialog
{
    Q_OBJECT

public:
    // `prompter` must be safe to call from the worker thread (QtPrompter is).
    SendProgressDialog(mailing::MailingSetup setup, Prompter& prompter, QWidget* parent = nullptr);
    ~SendProgressDialog() override;

    // Tests answer the results dialog themselves; by default it is shown modally.
    void setResultsHandler(std::function<void(const mailing::SendSummary&)> handler)
    {
        m_resultsHandler = std::move(handler);
    }

    mailing::SendResult result() const { return m_result; }
    const mailing::SendSummary& summary() const { return m_summary; }

    // The Stop button: asks, holding the mailing at the next recipient until answered; Yes stops it there.
    void requestStop();
    const mailing::StopControl& stopControl() const { return m_stopControl; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class Relay;

    void start();
    void refresh();
    void finished();
    void showTimeOnline();

    mailing::MailingSetup m_setup;
    Prompter& m_prompter;
    std::unique_ptr<Relay> m_relay;
    std::unique_ptr<mailing::Mailing> m_mailing;
    mailing::StopControl m_stopControl;
    std::jthread m_worker;
    bool m_started = false;
    bool m_running = false;
    bool m_askingToStop = false;
    bool m_finishedWhileAsking = false;
    std::int64_t m_startOfDay = 0;
    mailing::SendResult m_result = mailing::SendResult::None;
    mailing::SendSummary m_summary;
    std::function<void(const mailing::SendSummary&)> m_resultsHandler;

    QLabel* m_commandLabel;
    QLabel* m_modeLabel;
    QLabel* m_partialLabel;
    QLabel* m_sentCountLabel;
    QLabel* m_excludedCountLabel;
    QLabel* m_filteredCountLabel;
    QLabel* m_errorCountLabel;
    QLabel* m_recipientPositionLabel;
    QLabel* m_timeOnlineLabel;
    QProgressBar* m_messageBar;
    QProgressBar* m_recipientBar;
    QListWidget* m_activity;
    QPushButton* m_stopButton;
    QTimer* m_refreshTimer;
    QTimer* m_onlineTimer;
};

} // namespace tidecast::ui
