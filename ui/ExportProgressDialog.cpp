#include "ui/ExportProgressDialog.h"

#include "transfer/ExportTexts.h"

#include <QFormLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace tidecast::ui
{

namespace
{

QString qs(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

ExportProgressDialog::ExportProgressDialog(transfer::ExportRequest request, const QString& sourceName,
                                           bool doubleByteSafe, Prompter& prompter, QWidget* parent)
    : JobProgressDialog(transfer::text::kStoppingExport, parent)
{
    setObjectName(QStringLiteral("exportProgressDialog"));
    setWindowTitle(qs(transfer::text::kExportProgressCaption));
    progressBar()->setObjectName(QStringLiteral("exportProgressBar"));

    auto* output = new QLabel(QString::fromStdString(request.output.string()), this);
    output->setObjectName(QStringLiteral("outputLabel"));
    auto* source = new QLabel(sourceName, this);
    source->setObjectName(QStringLiteral("sourceLabel"));
    auto* form = new QFormLayout;
    form->addRow(qs(transfer::text::kExportingLabel), output);
    form->addRow(tr("Group:"), source);
    form->addRow(qs(transfer::text::kExportedSoFar), counterLabel(0, "exportedLabel"));
    form->addRow(qs(transfer::text::kIgnoredSoFar), counterLabel(1, "ignoredLabel"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(progressBar());
    layout->addWidget(statusLabel());
    layout->addWidget(stopButton(), 0, Qt::AlignRight);

    setJob([request = std::move(request), doubleByteSafe, relay = &relay(), prompter = &prompter,
            this](std::stop_token stop) {
        transfer::Exporter exporter(*prompter, *relay, *relay);
        exporter.setCountsListener([relay](const transfer::ExportCounts& counts) {
            relay->setCounts({counts.exported, counts.ignored});
        });
        const auto outcome = exporter.run(request, doubleByteSafe, std::move(stop));
        return [this, outcome] { ended(outcome); };
    });
}

void ExportProgressDialog::ended(const transfer::ExportOutcome& outcome)
{
    m_outcome = outcome;
    counterLabel(0, "exportedLabel")->setText(QString::number(outcome.counts.exported));
    counterLabel(1, "ignoredLabel")->setText(QString::number(outcome.counts.ignored));
    // A refused export has shown its message already: there is nothing left to look at.
    if (outcome.status == transfer::ExportStatus::Refused) {
        reject();
        return;
    }
    showEnding(transfer::finalStatusText(outcome.status), false);
}

} // namespace tidecast::ui
