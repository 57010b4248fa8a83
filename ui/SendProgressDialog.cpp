#include "ui/SendProgressDialog.h"

#include "mailing/SendTexts.h"
#include "ui/SendResultsDialog.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMetaObject>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <chrono>

namespace tidecast::ui
{

namespace
{

constexpr int kRefreshMs = 100;
constexpr int kMaxActivityLines = 1000;

QString qs(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QLabel* named(QLabel* label, const char* name)
{
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

} // namespace

// What the worker reports, kept under a lock and picked up by the dialog every 100 ms, so a
// mailing of many thousand messages a second does not flood the event queue.
class SendProgressDialog::Relay final : public Progress, public mailing::SendMonitor
{
public:
    struct Snapshot
    {
        std::string label;
        std::string mode;
        std::string partial;
        std::int64_t maximum = 0;
        std::int64_t value = 0;
        mailing::SendCounters counters;
        std::vector<std::string> lines;
    };

    void setLabel(std::string_view text) override
    {
        std::lock_guard lock(m_mutex);
        m_state.label = text;
    }
    void setMaximum(std::int64_t maximum) override
    {
        std::lock_guard lock(m_mutex);
        m_state.maximum = maximum;
    }
    void setValue(std::int64_t value) override
    {
        std::lock_guard lock(m_mutex);
        m_state.value = value;
    }
    void activity(std::string_view line) override
    {
        std::lock_guard lock(m_mutex);
        m_state.lines.emplace_back(line);
    }
    void counters(const mailing::SendCounters& counters) override
    {
        std::lock_guard lock(m_mutex);
        m_state.counters = counters;
    }
    void modeLabel(std::string_view text) override
    {
        std::lock_guard lock(m_mutex);
        m_state.mode = text;
    }
    void partialLabel(std::string_view text) override
    {
        std::lock_guard lock(m_mutex);
        m_state.partial = text;
    }

    Snapshot take()
    {
        std::lock_guard lock(m_mutex);
        Snapshot copy = m_state;
        m_state.lines.clear();
        return copy;
    }

private:
    std::mutex m_mutex;
    Snapshot m_state;
};

SendProgressDialog::SendProgressDialog(mailing::MailingSetup setup, Prompter& prompter, QWidget* parent)
    : QDialog(parent)
    , m_setup(std::move(setup))
    , m_prompter(prompter)
    , m_relay(std::make_unique<Relay>())
    , m_commandLabel(named(new QLabel(this), "commandLabel"))
    , m_modeLabel(named(new QLabel(this), "modeLabel"))
    , m_partialLabel(named(new QLabel(this), "partialLabel"))
    , m_sentCountLabel(named(new QLabel(QStringLiteral("0"), this), "sentCountLabel"))
    , m_excludedCountLabel(named(new QLabel(QStringLiteral("0"), this), "excludedCountLabel"))
    , m_filteredCountLabel(named(new QLabel(QStringLiteral("0"), this), "filteredCountLabel"))
    , m_errorCountLabel(named(new QLabel(QStringLiteral("0"), this), "errorCountLabel"))
    , m_recipientPositionLabel(named(new QLabel(this), "recipientPositionLabel"))
    , m_timeOnlineLabel(named(new QLabel(QStringLiteral("00:00:00"), this), "timeOnlineLabel"))
    , m_messageBar(new QProgressBar(this))
    , m_recipientBar(new QProgressBar(this))
    , m_activity(new QListWidget(this))
    , m_stopButton(new QPushButton(tr("&Stop"), this))
    , m_refreshTimer(new QTimer(this))
    , m_onlineTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("sendProgressDialog"));
    setWindowTitle(qs(mailing::text::kSendingToCaption) + qs(m_setup.options.groupName));
    m_messageBar->setObjectName(QStringLiteral("messageProgressBar"));
    m_recipientBar->setObjectName(QStringLiteral("recipientProgressBar"));
    m_activity->setObjectName(QStringLiteral("activityListWidget"));
    m_stopButton->setObjectName(QStringLiteral("stopButton"));

    auto* counters = new QGridLayout;
    const std::pair<const char*, QLabel*> rows[] = {
        {"Sent To:", m_sentCountLabel}, {"Excluded:", m_excludedCountLabel},      {"Filtered:", m_filteredCountLabel},
        {"Errors:", m_errorCountLabel}, {"Recipient:", m_recipientPositionLabel}, {"Time Online:", m_timeOnlineLabel},
    };
    int row = 0;
    for (const auto& [caption, label] : rows) {
        counters->addWidget(new QLabel(tr(caption), this), row, 0);
        counters->addWidget(label, row, 1);
        ++row;
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_modeLabel);
    layout->addWidget(m_partialLabel);
    layout->addLayout(counters);
    layout->addWidget(m_commandLabel);
    layout->addWidget(m_messageBar);
    layout->addWidget(m_recipientBar);
    layout->addWidget(m_activity, 1);
    layout->addWidget(m_stopButton, 0, Qt::AlignRight);
    resize(460, 480);

    connect(m_stopButton, &QPushButton::clicked, this, &SendProgressDialog::requestStop);
    connect(m_refreshTimer, &QTimer::timeout, this, &SendProgressDialog::refresh);
    connect(m_onlineTimer, &QTimer::timeout, this, &SendProgressDialog::showTimeOnline);
}

SendProgressDialog::~SendProgressDialog()
{
    if (m_worker.joinable()) {
        m_stopControl.stopNow();
        m_worker.join();
    }
}

void SendProgressDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_started) {
        m_started = true;
        QTimer::singleShot(0, this, &SendProgressDialog::start);
    }
}

void SendProgressDialog::closeEvent(QCloseEvent* event)
{
    // The window closes when the mailing is over; until then closing it means Stop.
    if (m_running) {
        event->ignore();
        requestStop();
        return;
    }
    QDialog::closeEvent(event);
}

void SendProgressDialog::start()
{
    m_timeOnlineLabel->setText(QStringLiteral("00:00:00"));
    m_startOfDay = mailing::wholeSecondsSinceMidnight(std::chrono::system_clock::now());
    m_onlineTimer->start(1000);
    m_refreshTimer->start(kRefreshMs);
    m_running = true;
    static const SystemClock clock;
    m_mailing = std::make_unique<mailing::Mailing>(m_setup, m_prompter, *m_relay, *m_relay, clock);
    QPointer<SendProgressDialog> self(this);
    m_worker = std::jthread([this, self] {
        m_mailing->run(m_stopControl);
        QMetaObject::invokeMethod(
            self.data(),
            [self] {
                if (self) {
                    self->finished();
                }
            },
            Qt::QueuedConnection);
    });
}

void SendProgressDialog::refresh()
{
    auto state = m_relay->take();
    // Once Stop was confirmed the label keeps saying so.
    if (!state.label.empty() && m_stopButton->isEnabled()) {
        m_commandLabel->setText(qs(state.label));
    }
    m_modeLabel->setText(qs(state.mode));
    m_partialLabel->setText(qs(state.partial));
    const auto& c = state.counters;
    m_sentCountLabel->setText(QString::number(c.sent));
    m_excludedCountLabel->setText(QString::number(c.excluded));
    m_filteredCountLabel->setText(QString::number(c.filtered));
    m_errorCountLabel->setText(QString::number(c.errors));
    m_recipientPositionLabel->setText(QString::number(c.position) + QStringLiteral(" of ") +
                                      QString::number(c.groupSize));
    // Progress bars hold ints: scale large groups down.
    const auto scale = std::max<std::int64_t>(1, c.groupSize / 1'000'000 + 1);
    m_recipientBar->setMaximum(static_cast<int>(c.groupSize / scale));
    m_recipientBar->setValue(static_cast<int>(c.position / scale));
    const auto messageScale = std::max<std::int64_t>(1, state.maximum / 1'000'000 + 1);
    m_messageBar->setMaximum(static_cast<int>(state.maximum / messageScale));
    m_messageBar->setValue(static_cast<int>(state.value / messageScale));
    for (const auto& line : state.lines) {
        if (m_activity->count() > kMaxActivityLines) {
            m_activity->clear();
        }
        m_activity->addItem(qs(line));
    }
    if (!state.lines.empty()) {
        m_activity->scrollToBottom();
    }
}

void SendProgressDialog::showTimeOnline()
{
    const auto now = mailing::wholeSecondsSinceMidnight(std::chrono::system_clock::now());
    m_timeOnlineLabel->setText(qs(mailing::formatElapsed(mailing::elapsedSeconds(m_startOfDay, now))));
}

void SendProgressDialog::requestStop()
{
    if (!m_running || !m_stopButton->isEnabled() || m_askingToStop) {
        return;
    }
    m_askingToStop = true;
    const bool stop = m_stopControl.ask(m_prompter);
    m_askingToStop = false;
    if (stop) {
        m_commandLabel->setText(qs(mailing::text::kStopping));
        m_stopButton->setEnabled(false);
    }
    if (m_finishedWhileAsking) {
        finished();
    }
}

void SendProgressDialog::finished()
{
    // A mailing can still end while the question is open (in the middle of connecting): its results
    // wait for the answer rather than open over it.
    if (m_askingToStop) {
        m_finishedWhileAsking = true;
        return;
    }
    m_finishedWhileAsking = false;
    if (m_worker.joinable()) {
        m_worker.join();
    }
    m_running = false;
    m_onlineTimer->stop();
    m_refreshTimer->stop();
    refresh();
    m_result = m_mailing->result();
    m_summary = m_mailing->summary();
    if (m_result != mailing::SendResult::None) {
        if (m_resultsHandler) {
            m_resultsHandler(m_summary);
        } else {
            SendResultsDialog results(m_summary, m_setup.dataDir, m_prompter, this);
            results.exec();
        }
    }
    if (m_result == mailing::SendResult::Completed) {
        accept();
    } else {
        reject();
    }
}

} // namespace tidecast::ui
