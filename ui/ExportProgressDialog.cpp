#include "ui/ExportProgressDialog.h"

#include "transfer/ExportTexts.h"
#include "ui/ProgressBarAdapter.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QLabel>
#include <QMetaObject>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <mutex>

namespace tidecast::ui
{

namespace
{

constexpr int kRefreshMs = 100;

QString qs(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QLabel* namedLabel(const QString& text, const char* name, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

} // namespace

// What the worker reports, kept under a lock and picked up by the dialog every 100 ms.
class ExportProgressDialog::Relay final : public Progress, public StatusSink
{
public:
    struct Snapshot
    {
        std::string status;
        std::int64_t maximum = 0;
        std::int64_t value = 0;
        transfer::ExportCounts counts;
    };

    void setLabel(std::string_view text) override { showStatus(text); }
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
    void showStatus(std::string_view text) override
    {
        std::lock_guard lock(m_mutex);
        m_state.status = text;
    }
    void counts(const transfer::ExportCounts& counts)
    {
        std::lock_guard lock(m_mutex);
        m_state.counts = counts;
    }

    Snapshot take()
    {
        std::lock_guard lock(m_mutex);
        return m_state;
    }

private:
    std::mutex m_mutex;
    Snapshot m_state;
};

ExportProgressDialog::ExportProgressDialog(transfer::ExportRequest request, const QString& sourceName,
                                           bool doubleByteSafe, Prompter& prompter, QWidget* parent)
    : QDialog(parent)
    , m_request(std::move(request))
    , m_doubleByteSafe(doubleByteSafe)
    , m_prompter(prompter)
    , m_relay(std::make_unique<Relay>())
    , m_exportedLabel(namedLabel(QStringLiteral("0"), "exportedLabel", this))
    , m_ignoredLabel(namedLabel(QStringLiteral("0"), "ignoredLabel", this))
    , m_statusLabel(namedLabel(QString(), "statusLabel", this))
    , m_progressBar(new QProgressBar(this))
    , m_stopButton(new QPushButton(tr("&Stop"), this))
    , m_refreshTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("exportProgressDialog"));
    setWindowTitle(qs(transfer::text::kExportProgressCaption));
    m_progressBar->setObjectName(QStringLiteral("exportProgressBar"));
    m_stopButton->setObjectName(QStringLiteral("stopButton"));

    auto* form = new QFormLayout;
    form->addRow(qs(transfer::text::kExportingLabel),
                 namedLabel(QString::fromStdString(m_request.output.string()), "outputLabel", this));
    form->addRow(tr("Group:"), namedLabel(sourceName, "sourceLabel", this));
    form->addRow(qs(transfer::text::kExportedSoFar), m_exportedLabel);
    form->addRow(qs(transfer::text::kIgnoredSoFar), m_ignoredLabel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_progressBar);
    layout->addWidget(m_statusLabel);
    layout->addWidget(m_stopButton, 0, Qt::AlignRight);

    connect(m_stopButton, &QPushButton::clicked, this, [this] {
        if (m_running || !m_started) {
            requestStop();
        } else {
            accept();
        }
    });
    m_refreshTimer->setInterval(kRefreshMs);
    connect(m_refreshTimer, &QTimer::timeout, this, &ExportProgressDialog::refresh);
}

ExportProgressDialog::~ExportProgressDialog()
{
    m_stop.request_stop();
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

void ExportProgressDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_started) {
        m_started = true;
        QTimer::singleShot(0, this, &ExportProgressDialog::start);
    }
}

void ExportProgressDialog::closeEvent(QCloseEvent* event)
{
    // The window stays until the export has ended, as the work writes into a file it owns.
    if (m_running) {
        requestStop();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void ExportProgressDialog::requestStop()
{
    m_statusLabel->setText(qs(transfer::text::kStoppingExport));
    m_stop.request_stop();
}

void ExportProgressDialog::start()
{
    m_running = true;
    m_refreshTimer->start();
    QPointer<ExportProgressDialog> self(this);
    m_worker = std::thread([this, self, stop = m_stop.get_token()] {
        transfer::Exporter exporter(m_prompter, *m_relay, *m_relay);
        exporter.setCountsListener([this](const transfer::ExportCounts& counts) { m_relay->counts(counts); });
        const auto outcome = exporter.run(m_request, m_doubleByteSafe, stop);
        QMetaObject::invokeMethod(
            self.data(),
            [self, outcome] {
                if (self) {
                    self->finished(outcome);
                }
            },
            Qt::QueuedConnection);
    });
}

void ExportProgressDialog::refresh()
{
    const auto state = m_relay->take();
    ProgressBarAdapter bar(m_progressBar);
    bar.setMaximum(state.maximum);
    bar.setValue(state.value);
    m_exportedLabel->setText(QString::number(state.counts.exported));
    m_ignoredLabel->setText(QString::number(state.counts.ignored));
    if (!m_stop.stop_requested()) {
        m_statusLabel->setText(qs(state.status));
    }
}

void ExportProgressDialog::finished(transfer::ExportOutcome outcome)
{
    if (m_worker.joinable()) {
        m_worker.join();
    }
    m_refreshTimer->stop();
    m_running = false;
    m_outcome = outcome;
    refresh();
    m_exportedLabel->setText(QString::number(outcome.counts.exported));
    m_ignoredLabel->setText(QString::number(outcome.counts.ignored));
    const auto status = transfer::finalStatusText(outcome.status);
    m_statusLabel->setText(qs(status));
    m_stopButton->setText(tr("&Close"));
    // A refused export has shown its message already: there is nothing left to look at.
    if (outcome.status == transfer::ExportStatus::Refused) {
        reject();
    }
}

} // namespace tidecast::ui
