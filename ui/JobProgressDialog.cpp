#include "ui/JobProgressDialog.h"

#include "ui/ProgressBarAdapter.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMetaObject>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace tidecast::ui
{

namespace
{

constexpr int kRefreshMs = 100;

QString qs(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void JobRelay::setMaximum(std::int64_t maximum)
{
    std::lock_guard lock(m_mutex);
    m_state.maximum = maximum;
}

void JobRelay::setValue(std::int64_t value)
{
    std::lock_guard lock(m_mutex);
    m_state.value = value;
}

void JobRelay::showStatus(std::string_view text)
{
    std::lock_guard lock(m_mutex);
    m_state.status = text;
}

void JobRelay::setCounts(const Counts& counts)
{
    std::lock_guard lock(m_mutex);
    m_state.counts = counts;
}

JobRelay::Snapshot JobRelay::take() const
{
    std::lock_guard lock(m_mutex);
    return m_state;
}

JobProgressDialog::JobProgressDialog(std::string_view stoppingText, QWidget* parent)
    : QDialog(parent)
    , m_stoppingText(stoppingText)
    , m_relay(std::make_unique<JobRelay>())
    , m_statusLabel(new QLabel(this))
    , m_bar(new QProgressBar(this))
    , m_stopButton(new QPushButton(tr("&Stop"), this))
    , m_refreshTimer(new QTimer(this))
{
    setModal(true);
    m_statusLabel->setObjectName(QStringLiteral("statusLabel"));
    m_bar->setObjectName(QStringLiteral("progressBar"));
    m_stopButton->setObjectName(QStringLiteral("stopButton"));
    connect(m_stopButton, &QPushButton::clicked, this, &JobProgressDialog::stopOrClose);
    m_refreshTimer->setInterval(kRefreshMs);
    connect(m_refreshTimer, &QTimer::timeout, this, &JobProgressDialog::refresh);
}

JobProgressDialog::~JobProgressDialog()
{
    m_stop.request_stop();
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

QLabel* JobProgressDialog::counterLabel(std::size_t index, const char* objectName)
{
    auto*& label = m_counters.at(index);
    if (label == nullptr) {
        label = new QLabel(QStringLiteral("0"), this);
        label->setObjectName(QString::fromLatin1(objectName));
    }
    return label;
}

void JobProgressDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_started) {
        m_started = true;
        QTimer::singleShot(0, this, &JobProgressDialog::start);
    }
}

void JobProgressDialog::closeEvent(QCloseEvent* event)
{
    // Until the job is over, closing the window means Stop: the job may be writing a file.
    if (m_running) {
        event->ignore();
        stopOrClose();
        return;
    }
    QDialog::closeEvent(event);
}

void JobProgressDialog::reject()
{
    if (m_running) {
        stopOrClose();
        return;
    }
    QDialog::reject();
}

void JobProgressDialog::stopOrClose()
{
    if (m_started && !m_running) {
        accept();
        return;
    }
    m_statusLabel->setText(qs(m_stoppingText));
    m_stopButton->setEnabled(false);
    m_stop.request_stop();
}

void JobProgressDialog::start()
{
    m_running = true;
    m_refreshTimer->start();
    QPointer<JobProgressDialog> self(this);
    m_worker = std::thread([job = m_job, self, stop = m_stop.get_token()] {
        auto outcome = job ? job(stop) : std::function<void()>();
        QMetaObject::invokeMethod(
            self.data(),
            [self, outcome = std::move(outcome)] {
                if (self) {
                    self->finished(outcome);
                }
            },
            Qt::QueuedConnection);
    });
}

void JobProgressDialog::refresh()
{
    const auto state = m_relay->take();
    ProgressBarAdapter bar(m_bar);
    bar.setMaximum(state.maximum);
    bar.setValue(state.value);
    for (std::size_t i = 0; i < m_counters.size(); ++i) {
        if (m_counters[i] != nullptr) {
            m_counters[i]->setText(QString::number(state.counts[i]));
        }
    }
    if (!m_stop.stop_requested() && !state.status.empty()) {
        m_statusLabel->setText(qs(state.status));
    }
}

void JobProgressDialog::finished(const std::function<void()>& outcome)
{
    if (m_worker.joinable()) {
        m_worker.join();
    }
    m_running = false;
    m_refreshTimer->stop();
    refresh();
    m_stopButton->setText(tr("&Close"));
    m_stopButton->setEnabled(true);
    if (outcome) {
        outcome();
    }
}

void JobProgressDialog::showEnding(std::string_view status, bool bold)
{
    auto font = m_statusLabel->font();
    font.setBold(bold);
    m_statusLabel->setFont(font);
    m_statusLabel->setText(qs(status));
}

} // namespace tidecast::ui
