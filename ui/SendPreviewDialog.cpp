#include "ui/SendPreviewDialog.h"

#include "common/Clock.h"
#include "common/IdSource.h"
#include "messages/Attachments.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace tidecast::ui
{

namespace
{

QString qs(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QLabel* named(QLabel* label, const char* name)
{
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QPushButton* namedButton(QPushButton* button, const char* name)
{
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

SendPreviewDialog::SendPreviewDialog(outgoing::OutgoingMessage message, std::string groupName, std::size_t wrapWidth,
                                     std::filesystem::path dataDir, settings::Settings settings, Prompter& prompter,
                                     QWidget* parent)
    : QDialog(parent)
    , m_preview(std::move(message), std::move(groupName), wrapWidth, std::move(dataDir))
    , m_settings(std::move(settings))
    , m_prompter(prompter)
    , m_sender(named(new QLabel(this), "senderLabel"))
    , m_date(named(new QLabel(this), "dateLabel"))
    , m_recipient(named(new QLabel(this), "recipientLabel"))
    , m_subject(named(new QLabel(this), "subjectLabel"))
    , m_body(new QPlainTextEdit(this))
    , m_headers(new QPlainTextEdit(this))
    , m_attachments(new QListWidget(this))
    , m_statusLabel(named(new QLabel(this), "statusLabel"))
    , m_htmlButton(namedButton(new QPushButton(tr("View &HTML Message"), this), "viewHtmlButton"))
    , m_headersButton(namedButton(new QPushButton(tr("&Show Headers"), this), "showHeadersButton"))
    , m_nextButton(namedButton(new QPushButton(tr("View &Next"), this), "viewNextButton"))
    , m_previousButton(namedButton(new QPushButton(tr("View &Previous"), this), "viewPreviousButton"))
{
    setObjectName(QStringLiteral("sendPreviewDialog"));
    setWindowTitle(qs(outgoing::kPreviewTitle));
    m_body->setObjectName(QStringLiteral("bodyTextEdit"));
    m_body->setReadOnly(true);
    m_headers->setObjectName(QStringLiteral("headersTextEdit"));
    m_headers->setReadOnly(true);
    m_headers->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_headers->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_headers->hide();
    m_headersButton->setCheckable(true);
    m_attachments->setObjectName(QStringLiteral("attachmentListWidget"));
    m_attachments->setFlow(QListView::LeftToRight);
    m_attachments->setMaximumHeight(64);

    auto* form = new QFormLayout;
    form->addRow(tr("From:"), m_sender);
    form->addRow(tr("Date:"), m_date);
    form->addRow(tr("To:"), m_recipient);
    form->addRow(tr("Subject:"), m_subject);
    auto* close = namedButton(new QPushButton(tr("&Close Preview"), this), "closePreviewButton");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_previousButton);
    buttons->addWidget(m_nextButton);
    buttons->addWidget(m_htmlButton);
    buttons->addWidget(m_headersButton);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_headers, 1);
    layout->addWidget(m_attachments);
    layout->addWidget(m_body, 1);
    layout->addLayout(buttons);
    layout->addWidget(m_statusLabel);
    resize(620, 520);

    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_nextButton, &QPushButton::clicked, this, &SendPreviewDialog::viewNext);
    connect(m_previousButton, &QPushButton::clicked, this, &SendPreviewDialog::viewPrevious);
    connect(m_htmlButton, &QPushButton::clicked, this, &SendPreviewDialog::viewHtml);
    connect(m_headersButton, &QPushButton::toggled, this, &SendPreviewDialog::showHeaders);

    m_date->setText(QDateTime::currentDateTime().toString(Qt::RFC2822Date));
    m_preview.open();
    display();
}

SendPreviewDialog::~SendPreviewDialog()
{
    m_preview.close();
}

void SendPreviewDialog::display()
{
    m_sender->setText(qs(m_preview.senderLabel()));
    m_recipient->setText(qs(m_preview.recipientLabel()));
    m_subject->setText(qs(m_preview.subject()));
    QString body = qs(m_preview.body());
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_body->setPlainText(body);
    m_attachments->clear();
    QFileIconProvider icons;
    for (const auto& entry : messages::rebuildAttachments(m_preview.attachments())) {
        const QFileInfo info(qs(entry.path));
        auto* item = new QListWidgetItem(icons.icon(info), qs(entry.displayText), m_attachments);
        item->setToolTip(qs(entry.path));
    }
    m_htmlButton->setEnabled(m_preview.canViewHtml());
    m_nextButton->setEnabled(m_preview.canViewNext());
    m_previousButton->setEnabled(m_preview.canViewPrevious());
    m_statusLabel->setText(m_preview.position() > 0 ? tr("Recipient %1").arg(m_preview.position()) : QString());
    if (m_headers->isVisibleTo(this)) {
        displayHeaders();
    }
}

void SendPreviewDialog::showHeaders(bool shown)
{
    m_headers->setVisible(shown);
    if (shown) {
        displayHeaders();
    }
}

void SendPreviewDialog::displayHeaders()
{
    static const SystemClock clock;
    SystemIdSource ids;
    const auto headers = m_preview.headersAsSent(m_settings, clock, ids);
    if (!headers) {
        m_headers->clear();
        m_headersButton->setChecked(false);
        m_prompter.message(headers.error().detail, Icon::Exclamation);
        return;
    }
    QString text = qs(*headers);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_headers->setPlainText(text);
}

void SendPreviewDialog::viewNext()
{
    m_preview.viewNext();
    display();
}

void SendPreviewDialog::viewPrevious()
{
    m_preview.viewPrevious();
    display();
}

void SendPreviewDialog::viewHtml()
{
    auto file = m_preview.htmlToView();
    if (!file) {
        m_prompter.message(file.error().detail, Icon::Exclamation);
        return;
    }
    if (file->empty()) {
        return;
    }
    const QString path = qs(file->string());
    if (m_opener) {
        m_opener(path);
    } else {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
}

} // namespace tidecast::ui
