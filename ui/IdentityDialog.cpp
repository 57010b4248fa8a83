#include "ui/IdentityDialog.h"

#include "messages/ComposerRules.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace tidecast::ui
{

IdentityDialog::IdentityDialog(settings::Settings& settings, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_name(new QLineEdit(QString::fromStdString(settings.realName), this))
    , m_email(new QLineEdit(QString::fromStdString(settings.emailAddress), this))
    , m_replyTo(new QLineEdit(QString::fromStdString(settings.replyToAddress), this))
    , m_organisation(new QLineEdit(QString::fromStdString(settings.organisation), this))
    , m_signature(new QPlainTextEdit(QString::fromStdString(messages::toEditorText(settings.signature)), this))
{
    setObjectName(QStringLiteral("identityDialog"));
    setWindowTitle(tr("Default Identification Details"));
    m_name->setObjectName(QStringLiteral("nameLineEdit"));
    m_email->setObjectName(QStringLiteral("emailLineEdit"));
    m_replyTo->setObjectName(QStringLiteral("replyToLineEdit"));
    m_organisation->setObjectName(QStringLiteral("organisationLineEdit"));
    m_signature->setObjectName(QStringLiteral("signatureTextEdit"));
    // Enter and Tab are typed into the signature rather than moving on or closing the dialog.
    m_signature->setTabChangesFocus(false);

    auto* fields = new QFormLayout;
    fields->addRow(tr("Name:"), m_name);
    fields->addRow(tr("E-mail Address:"), m_email);
    fields->addRow(tr("Reply Address:"), m_replyTo);
    fields->addRow(tr("Organization:"), m_organisation);
    fields->addRow(tr("Signature:"), m_signature);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &IdentityDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &IdentityDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(buttons);
}

void IdentityDialog::accept()
{
    m_settings.realName = m_name->text().toStdString();
    m_settings.emailAddress = m_email->text().toStdString();
    m_settings.replyToAddress = m_replyTo->text().toStdString();
    m_settings.organisation = m_organisation->text().toStdString();
    m_settings.signature = messages::fromEditorText(m_signature->toPlainText().toStdString());
    QDialog::accept();
}

} // namespace tidecast::ui
