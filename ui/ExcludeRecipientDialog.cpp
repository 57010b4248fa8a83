#include "ui/ExcludeRecipientDialog.h"

#include "transfer/ExclusionTexts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
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

ExcludeRecipientDialog::ExcludeRecipientDialog(Adder adder, const std::vector<std::string>& groupChoices,
                                               const QString& address, QWidget* parent)
    : QDialog(parent)
    , m_adder(std::move(adder))
    , m_addressEdit(new QLineEdit(address, this))
    , m_groupBox(new QComboBox(this))
{
    setObjectName(QStringLiteral("excludeRecipientDialog"));
    setWindowTitle(qs(transfer::text::kAddCaption));
    m_addressEdit->setObjectName(QStringLiteral("addressLineEdit"));
    m_groupBox->setObjectName(QStringLiteral("groupComboBox"));
    for (const auto& group : groupChoices) {
        m_groupBox->addItem(QString::fromStdString(group));
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    connect(buttons, &QDialogButtonBox::accepted, this, &ExcludeRecipientDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(qs(transfer::text::kAddAddressLabel), this));
    layout->addWidget(m_addressEdit);
    layout->addWidget(new QLabel(qs(transfer::text::kAddGroupLabel), this));
    layout->addWidget(m_groupBox);
    layout->addWidget(buttons);
}

void ExcludeRecipientDialog::accept()
{
    switch (m_adder(m_addressEdit->text().toStdString(), m_groupBox->currentText().toStdString())) {
    case transfer::ExclusionEditor::AddOutcome::Added:
        QDialog::accept();
        break;
    case transfer::ExclusionEditor::AddOutcome::InvalidAddress:
        m_addressEdit->setFocus();
        break;
    case transfer::ExclusionEditor::AddOutcome::AlreadyListed:
        break;
    }
}

} // namespace tidecast::ui
