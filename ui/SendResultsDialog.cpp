#include "ui/SendResultsDialog.h"

#include "common/Text.h"
#include "mailing/SendLogs.h"
#include "ui/QtFileChooser.h"

#include <QComboBox>
#include <QDate>
#include <QFontMetrics>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
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

constexpr std::string_view kSaveError = "Error saving message.";

} // namespace

SendResultsDialog::SendResultsDialog(mailing::SendSummary summary, std::filesystem::path dataDir, Prompter& prompter,
                                     QWidget* parent)
    : QDialog(parent)
    , m_summary(std::move(summary))
    , m_dataDir(std::move(dataDir))
    , m_prompter(prompter)
    , m_logSelector(new QComboBox(this))
    , m_viewer(new QPlainTextEdit(this))
    , m_status(new QLabel(this))
{
    setObjectName(QStringLiteral("sendResultsDialog"));
    setWindowTitle(tr("Send Results"));
    m_logSelector->setObjectName(QStringLiteral("logComboBox"));
    m_viewer->setObjectName(QStringLiteral("logTextEdit"));
    m_viewer->setReadOnly(true);
    m_viewer->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_status->setObjectName(QStringLiteral("statusLabel"));
    m_status->setText(statusText());
    // How the mailing ended is the first thing to read.
    QFont statusFont = m_status->font();
    statusFont.setBold(true);
    statusFont.setPointSizeF(statusFont.pointSizeF() * 1.25);
    m_status->setFont(statusFont);
    m_status->setWordWrap(true);

    const auto& c = m_summary.counters;
    auto* form = new QFormLayout;
    const auto addRow = [this, form](const QString& caption, const QString& value, const char* name) {
        auto* label = new QLabel(value, this);
        label->setObjectName(QString::fromLatin1(name));
        form->addRow(caption, label);
    };
    addRow(tr("Group:"), qs(m_summary.groupName), "groupLabel");
    addRow(tr("Recipients:"), qs(mailing::groupSizeText(m_summary)), "sizeLabel");
    addRow(tr("Sent To:"), QString::number(c.sent), "sentLabel");
    addRow(tr("Excluded:"), QString::number(c.excluded), "excludedLabel");
    addRow(tr("Filtered:"), QString::number(c.filtered), "filteredLabel");
    addRow(tr("Errors:"), QString::number(c.errors), "errorsLabel");
    addRow(tr("Time Taken:"), qs(mailing::formatElapsed(m_summary.elapsedSeconds)), "timeLabel");

    for (const auto& choice : mailing::logChoices()) {
        m_logSelector->addItem(qs(choice.title));
    }
    auto* save = new QPushButton(tr("&Save"), this);
    save->setObjectName(QStringLiteral("saveButton"));
    auto* print = new QPushButton(tr("&Print"), this);
    print->setObjectName(QStringLiteral("printButton"));
    auto* close = new QPushButton(tr("&Close"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_logSelector, 1);
    buttons->addWidget(save);
    buttons->addWidget(print);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addWidget(m_viewer, 1);
    resize(560, 520);

    m_viewer->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_viewer, &QWidget::customContextMenuRequested, this, &SendResultsDialog::showContextMenu);
    connect(m_logSelector, &QComboBox::currentIndexChanged, this, &SendResultsDialog::showLog);
    connect(save, &QPushButton::clicked, this, &SendResultsDialog::onSave);
    connect(print, &QPushButton::clicked, this, &SendResultsDialog::onPrint);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    showLog(0);
}

QString SendResultsDialog::statusText() const
{
    return qs(mailing::statusLine(m_summary.result, m_summary.counters.sent, m_summary.partialSend));
}

void SendResultsDialog::showLog(int index)
{
    m_viewer->clear();
    if (index < 0 || index >= static_cast<int>(mailing::logChoices().size())) {
        return;
    }
    const auto& choice = mailing::logChoices()[static_cast<std::size_t>(index)];
    const auto text = toUtf8(readWholeFile(mailing::SendLogs::file(m_dataDir, choice.file)));
    m_viewer->setPlainText(qs(text));
    // A log's last lines say how it ended.
    m_viewer->moveCursor(QTextCursor::End);
    m_viewer->ensureCursorVisible();
}

QString SendResultsDialog::logText() const
{
    return m_viewer->toPlainText();
}

bool SendResultsDialog::saveTo(const QString& path)
{
    QString text = m_viewer->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    if (!writeWholeFile(path.toStdString(), text.toStdString())) {
        m_prompter.message(kSaveError, Icon::Exclamation);
        return false;
    }
    return true;
}

void SendResultsDialog::onSave()
{
    const QString suggested = m_logSelector->currentText() + QStringLiteral(".txt");
    const QString path = m_chooser
                             ? m_chooser(suggested)
                             : askForSaveFileName(this, tr("Save"), suggested, QStringLiteral("Text files (*.txt)"));
    if (!path.isEmpty()) {
        saveTo(path);
    }
}

void SendResultsDialog::printTo(QPrinter& printer)
{
    QString log = m_viewer->toPlainText();
    log.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    const auto lines =
        mailing::resultsReport(m_summary, QDate::currentDate().toString(Qt::ISODate).toStdString(), log.toStdString());
    QPainter painter;
    if (!painter.begin(&printer)) {
        return;
    }
    painter.setFont(QFont(QStringLiteral("Arial"), 10));
    const QFontMetrics metrics(painter.font(), &printer);
    const int lineHeight = metrics.lineSpacing();
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    int y = lineHeight;
    for (const auto& line : lines) {
        if (y > page.height() - lineHeight) {
            printer.newPage();
            y = lineHeight;
        }
        painter.drawText(0, y, qs(line));
        y += lineHeight;
    }
    painter.end();
}

void SendResultsDialog::onPrint()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted) {
        printTo(printer);
    }
}

void SendResultsDialog::showContextMenu(const QPoint& at)
{
    QMenu menu(this);
    menu.addAction(tr("Copy"), m_viewer, &QPlainTextEdit::copy);
    menu.addAction(tr("Select All"), m_viewer, &QPlainTextEdit::selectAll);
    menu.exec(m_viewer->mapToGlobal(at));
}

} // namespace tidecast::ui
