#include "ui/GroupDialog.h"

#include "store/StoreTexts.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tidecast::ui
{

namespace
{

QString fromStd(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toStd(const QString& text)
{
    return text.toStdString();
}

QLineEdit* makeEdit(const QString& name)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    return edit;
}

} // namespace

GroupDialog::GroupDialog(store::GroupStore& groups, const QString& originalName, QWidget* parent)
    : QDialog(parent)
    , m_groups(groups)
    , m_originalName(originalName)
    , m_name(makeEdit(QStringLiteral("groupNameLineEdit")))
    , m_useDefault(new QCheckBox(tr("Use the default identity for this group")))
    , m_senderName(makeEdit(QStringLiteral("senderNameLineEdit")))
    , m_senderEmail(makeEdit(QStringLiteral("senderEmailLineEdit")))
    , m_organisation(makeEdit(QStringLiteral("organisationLineEdit")))
    , m_replyTo(makeEdit(QStringLiteral("replyToLineEdit")))
    , m_signature(new QPlainTextEdit)
{
    setObjectName(QStringLiteral("groupDialog"));
    setWindowTitle(fromStd(originalName.isEmpty() ? store::text::kAddGroupTitle : store::text::kModifyGroupTitle));
    m_useDefault->setObjectName(QStringLiteral("defaultIdentityCheckBox"));
    m_signature->setObjectName(QStringLiteral("signaturePlainTextEdit"));
    // Enter and Tab belong to the signature while it has the focus.
    m_signature->setTabChangesFocus(false);

    auto* nameForm = new QFormLayout;
    nameForm->addRow(tr("Group Name:"), m_name);

    auto* identity = new QGroupBox(tr("Sender Identity"));
    auto* identityForm = new QFormLayout(identity);
    identityForm->addRow(m_useDefault);
    identityForm->addRow(tr("Your Name:"), m_senderName);
    identityForm->addRow(tr("Email Address:"), m_senderEmail);
    identityForm->addRow(tr("Organisation:"), m_organisation);
    identityForm->addRow(tr("Reply To:"), m_replyTo);
    identityForm->addRow(tr("Signature:"), m_signature);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &GroupDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &GroupDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(nameForm);
    layout->addWidget(identity, 1);
    layout->addWidget(buttons);

    store::GroupDetails details;
    if (!originalName.isEmpty()) {
        m_name->setText(originalName);
        details = store::parseGroupDetails(m_groups.detailsFile(toStd(originalName)));
    }
    m_useDefault->setChecked(details.useDefault);
    m_senderName->setText(fromStd(details.senderName));
    m_senderEmail->setText(fromStd(details.senderEmail));
    m_organisation->setText(fromStd(details.organisation));
    m_replyTo->setText(fromStd(details.replyTo));
    m_signature->setPlainText(fromStd(details.signature).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    connect(m_useDefault, &QCheckBox::toggled, this, &GroupDialog::updateIdentityFields);
    updateIdentityFields();

    m_name->installEventFilter(this);
    m_name->setFocus();
}

QString GroupDialog::groupName() const
{
    return m_name->text().trimmed();
}

void GroupDialog::updateIdentityFields()
{
    const bool own = !m_useDefault->isChecked();
    for (QWidget* field : {static_cast<QWidget*>(m_senderName), static_cast<QWidget*>(m_senderEmail),
                           static_cast<QWidget*>(m_organisation), static_cast<QWidget*>(m_replyTo),
                           static_cast<QWidget*>(m_signature)}) {
        field->setEnabled(own);
    }
}

store::GroupDetails GroupDialog::details() const
{
    store::GroupDetails details;
    details.useDefault = m_useDefault->isChecked();
    details.senderName = toStd(m_senderName->text());
    details.senderEmail = toStd(m_senderEmail->text());
    details.organisation = toStd(m_organisation->text());
    details.replyTo = toStd(m_replyTo->text());
    details.signature = toStd(m_signature->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
    return details;
}

void GroupDialog::accept()
{
    const auto result = m_groups.acceptGroupDialog(toStd(m_originalName), toStd(m_name->text()), details());
    if (result.accepted()) {
        m_name->setText(groupName());
        QDialog::accept();
        return;
    }
    switch (result.focus) {
    case store::GroupDialogField::GroupName:
        m_name->setFocus();
        break;
    case store::GroupDialogField::SenderName:
        m_senderName->setFocus();
        break;
    case store::GroupDialogField::SenderEmail:
        m_senderEmail->setFocus();
        break;
    case store::GroupDialogField::None:
        break;
    }
}

bool GroupDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_name && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString typed = key->text();
        // Only typed characters are filtered; editing keys and shortcuts pass.
        const bool printable =
            !typed.isEmpty() && typed.at(0).isPrint() && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (printable) {
            for (const char32_t c : typed.toUcs4()) {
                if (!store::isGroupNameKey(c)) {
                    QApplication::beep();
                    m_groups.prompter().message(store::text::kGroupNameCharacters, Icon::Exclamation);
                    return true;
                }
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tidecast::ui
