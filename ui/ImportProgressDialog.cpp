#include "ui/ImportProgressDialog.h"

#include "common/Clock.h"
#include "transfer/ImportSetup.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QGridLayout>
#include <QLabel>
#include <QMetaObject>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <mutex>

namespace tidecast::ui
{

namespace
{

constexpr int kRefreshMs = 100;
constexpr std::string_view kStoppingText = "Stopping Import ...";

QString qs(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QLabel* named(QLabel* label, const char* name)
{
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

bool openWithDefaultProgram(const std::filesystem::path& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path.string())));
}

} // namespace

// What the worker reports, kept under a lock and picked up by the window every 100 ms.
class ImportProgressDialog::Relay final : public transfer::ImportProgress
{
public:
    struct Snapshot
    {
        std::string label;
        std::int64_t maximum = 0;
        std::int64_t value = 0;
        transfer::ImportCounts counts;
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
    void setCounts(const transfer::ImportCounts& counts) override
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

ImportProgressDialog::ImportProgressDialog(transfer::ImportRequest request, Prompter& prompter, QWidget* parent)
    : QDialog(parent)
    , m_request(std::move(request))
    , m_prompter(prompter)
    , m_relay(std::make_unique<Relay>())
    , m_openReport(openWithDefaultProgram)
    , m_statusLabel(named(new QLabel(this), "statusLabel"))
    , m_addedLabel(named(new QLabel(QStringLiteral("0"), this), "addedCountLabel"))
    , m_duplicatesLabel(named(new QLabel(QStringLiteral("0"), this), "duplicatesCountLabel"))
    , m_ignoredLabel(named(new QLabel(QStringLiteral("0"), this), "ignoredCountLabel"))
    , m_illegalLabel(named(new QLabel(QStringLiteral("0"), this), "illegalCountLabel"))
    , m_bar(new QProgressBar(this))
    , m_stopButton(new QPushButton(tr("&Stop"), this))
    , m_refreshTimer(new QTimer(this))
{
    setWindowTitle(tr("Importing"));
    setModal(true);
    m_stopButton->setObjectName(QStringLiteral("stopButton"));
    m_bar->setObjectName(QStringLiteral("importProgressBar"));

    const auto description = transfer::describeImport(m_request);
    auto* details = new QGridLayout;
    details->addWidget(new QLabel(tr("Importing:"), this), 0, 0);
    details->addWidget(named(new QLabel(qs(description.source), this), "sourceLabel"), 0, 1, 1, 3);
    details->addWidget(new QLabel(tr("Group:"), this), 1, 0);
    details->addWidget(named(new QLabel(qs(m_request.groupName), this), "groupLabel"), 1, 1, 1, 3);
    details->addWidget(named(new QLabel(qs(description.type), this), "typeLabel"), 2, 0);
    details->addWidget(named(new QLabel(qs(description.delimiter), this), "delimiterLabel"), 2, 1);
    details->addWidget(named(new QLabel(qs(description.fields), this), "fieldsLabel"), 2, 2);

    auto* counters = new QGridLayout;
    const struct
    {
        const char* caption;
        const char* tip;
        QLabel* value;
    } rows[] = {
        {"Added:", "Legitimate Email Addresses", m_addedLabel},
        {"Duplicates:", "Duplicate Email Addresses", m_duplicatesLabel},
        {"Ignored:", "Filtered Email Addresses", m_ignoredLabel},
        {"Illegal:", "Illegal Email Addresses", m_illegalLabel},
    };
    int column = 0;
    for (const auto& row : rows) {
        auto* caption = new QLabel(QString::fromLatin1(row.caption), this);
        caption->setToolTip(QString::fromLatin1(row.tip));
        row.value->setToolTip(QString::fromLatin1(row.tip));
        counters->addWidget(caption, 0, column);
        counters->addWidget(row.value, 0, column + 1);
        column += 2;
    }
    // Without duplicate checking there is nothing to count there.
    m_duplicatesLabel->setEnabled(m_request.checkDuplicates);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(details);
    layout->addWidget(m_statusLabel);
    layout->addWidget(m_bar);
    layout->addLayout(counters);
    layout->addWidget(m_stopButton, 0, Qt::AlignRight);

    connect(m_stopButton, &QPushButton::clicked, this, &ImportProgressDialog::stopOrClose);
    connect(m_refreshTimer, &QTimer::timeout, this, &ImportProgressDialog::refresh);
}

ImportProgressDialog::~ImportProgressDialog()
{
    if (m_worker.joinable()) {
        m_worker.request_stop();
        m_worker.join();
    }
}

void ImportProgressDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_started) {
        m_started = true;
        QTimer::singleShot(0, this, &ImportProgressDialog::start);
    }
}

void ImportProgressDialog::closeEvent(QCloseEvent* event)
{
    // Until the import is over, closing the window means Stop.
    if (m_running) {
        event->ignore();
        stopOrClose();
        return;
    }
    QDialog::closeEvent(event);
}

void ImportProgressDialog::start()
{
    m_running = true;
    m_refreshTimer->start(kRefreshMs);
    QPointer<ImportProgressDialog> self(this);
    m_worker = std::jthread([this, self](std::stop_token stop) {
        static const SystemClock clock;
        m_summary = transfer::runImport(m_request, *m_relay, m_prompter, clock, stop);
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

void ImportProgressDialog::refresh()
{
    const auto state = m_relay->take();
    if (!state.label.empty() && m_stopButton->isEnabled() && m_running) {
        m_statusLabel->setText(qs(state.label));
    }
    // Progress bars hold ints: scale large files down.
    const auto scale = std::max<std::int64_t>(1, state.maximum / 1'000'000 + 1);
    m_bar->setMaximum(static_cast<int>(state.maximum / scale));
    m_bar->setValue(static_cast<int>(state.value / scale));
    m_addedLabel->setText(QString::number(state.counts.added));
    m_duplicatesLabel->setText(QString::number(state.counts.duplicates));
    m_ignoredLabel->setText(QString::number(state.counts.ignored));
    m_illegalLabel->setText(QString::number(state.counts.illegal));
}

void ImportProgressDialog::stopOrClose()
{
    if (!m_running) {
        if (m_started) {
            accept();
        }
        return;
    }
    m_statusLabel->setText(qs(kStoppingText));
    m_stopButton->setEnabled(false);
    m_worker.request_stop();
}

void ImportProgressDialog::finished()
{
    if (m_worker.joinable()) {
        m_worker.join();
    }
    m_running = false;
    m_refreshTimer->stop();
    refresh();
    if (m_summary.refused) {
        emit importFinished();
        reject();
        return;
    }
    m_statusLabel->setText(QStringLiteral("<b>%1</b>").arg(qs(transfer::importEndingText(m_summary.ending))));
    m_stopButton->setText(tr("&Close"));
    m_stopButton->setEnabled(true);
    transfer::offerReport(m_summary, m_request.dataFolder / transfer::kReportFileName, m_prompter, m_openReport);
    emit importFinished();
}

} // namespace tidecast::ui
