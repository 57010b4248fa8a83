#include "ui/ImportProgressDialog.h"

#include "common/Clock.h"
#include "store/GroupNames.h"
#include "transfer/ImportSetup.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace tidecast::ui
{

namespace
{

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

// Hands an import's progress and counters to the window's relay; lives on the worker thread.
class ImportRelay final : public transfer::ImportProgress
{
public:
    explicit ImportRelay(JobRelay& relay)
        : m_relay(relay)
    {}

    void setLabel(std::string_view text) override { m_relay.setLabel(text); }
    void setMaximum(std::int64_t maximum) override { m_relay.setMaximum(maximum); }
    void setValue(std::int64_t value) override { m_relay.setValue(value); }
    void setCounts(const transfer::ImportCounts& counts) override
    {
        m_relay.setCounts({counts.added, counts.duplicates, counts.ignored, counts.illegal});
    }

private:
    JobRelay& m_relay;
};

} // namespace

ImportProgressDialog::ImportProgressDialog(const QString& title, Prompter& prompter, QWidget* parent)
    : JobProgressDialog(kStoppingText, parent)
    , m_prompter(prompter)
    , m_openReport(openWithDefaultProgram)
{
    setWindowTitle(title);
    progressBar()->setObjectName(QStringLiteral("importProgressBar"));
}

ImportProgressDialog::ImportProgressDialog(transfer::ImportRequest request, Prompter& prompter, QWidget* parent)
    : ImportProgressDialog(tr("Importing"), prompter, parent)
{
    const auto description = transfer::describeImport(request);
    auto* details = new QGridLayout;
    details->addWidget(new QLabel(tr("Importing:"), this), 0, 0);
    details->addWidget(named(new QLabel(qs(description.source), this), "sourceLabel"), 0, 1, 1, 3);
    details->addWidget(new QLabel(tr("Group:"), this), 1, 0);
    details->addWidget(named(new QLabel(qs(request.groupName), this), "groupLabel"), 1, 1, 1, 3);
    details->addWidget(named(new QLabel(qs(description.type), this), "typeLabel"), 2, 0);
    details->addWidget(named(new QLabel(qs(description.delimiter), this), "delimiterLabel"), 2, 1);
    details->addWidget(named(new QLabel(qs(description.fields), this), "fieldsLabel"), 2, 2);
    layOut(details);
    // Without duplicate checking there is nothing to count there.
    counterLabel(1, "duplicatesCountLabel")->setEnabled(request.checkDuplicates);

    setJob([request = std::move(request), relay = &relay(), prompter = &prompter, this](std::stop_token stop) {
        static const SystemClock clock;
        ImportRelay progress(*relay);
        auto summary = transfer::runImport(request, progress, *prompter, clock, std::move(stop));
        return [this, summary, report = request.dataFolder / transfer::kReportFileName] { ended(summary, report); };
    });
}

ImportProgressDialog::ImportProgressDialog(transfer::ExclusionImportRequest request,
                                           const transfer::ExclusionList& list, Prompter& prompter, QWidget* parent)
    : ImportProgressDialog(tr("Import Progress"), prompter, parent)
{
    auto* details = new QGridLayout;
    details->addWidget(new QLabel(tr("Importing:"), this), 0, 0);
    details->addWidget(named(new QLabel(qs(transfer::importSourceText(request.source)), this), "sourceLabel"), 0, 1);
    details->addWidget(new QLabel(tr("Group:"), this), 1, 0);
    details->addWidget(named(new QLabel(qs(store::kExclusionListName), this), "groupLabel"), 1, 1);
    layOut(details);

    setJob([request = std::move(request), list = &list, relay = &relay(), prompter = &prompter,
            this](std::stop_token stop) {
        ImportRelay progress(*relay);
        auto result = transfer::runExclusionImport(*list, request, progress, *relay, *prompter, std::move(stop));
        return [this, result = std::move(result)]() mutable {
            m_addedExclusions = std::move(result.added);
            ended(result.summary, {});
        };
    });
}

void ImportProgressDialog::layOut(QLayout* details)
{
    auto* counters = new QGridLayout;
    const struct
    {
        const char* caption;
        const char* tip;
        const char* name;
    } rows[] = {
        {"Added:", "Legitimate Email Addresses", "addedCountLabel"},
        {"Duplicates:", "Duplicate Email Addresses", "duplicatesCountLabel"},
        {"Ignored:", "Filtered Email Addresses", "ignoredCountLabel"},
        {"Illegal:", "Illegal Email Addresses", "illegalCountLabel"},
    };
    int column = 0;
    std::size_t index = 0;
    for (const auto& row : rows) {
        auto* caption = new QLabel(QString::fromLatin1(row.caption), this);
        auto* value = counterLabel(index++, row.name);
        caption->setToolTip(QString::fromLatin1(row.tip));
        value->setToolTip(QString::fromLatin1(row.tip));
        counters->addWidget(caption, 0, column);
        counters->addWidget(value, 0, column + 1);
        column += 2;
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(details);
    layout->addWidget(statusLabel());
    layout->addWidget(progressBar());
    layout->addLayout(counters);
    layout->addWidget(stopButton(), 0, Qt::AlignRight);
}

void ImportProgressDialog::ended(const transfer::ImportSummary& summary, const std::filesystem::path& report)
{
    m_summary = summary;
    if (m_summary.refused) {
        emit importFinished();
        reject();
        return;
    }
    showEnding(transfer::importEndingText(m_summary.ending), true);
    if (!report.empty()) {
        transfer::offerReport(m_summary, report, m_prompter, m_openReport);
    }
    emit importFinished();
}

} // namespace tidecast::ui
