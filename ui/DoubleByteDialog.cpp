#include "ui/DoubleByteDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace tidecast::ui
{

DoubleByteDialog::DoubleByteDialog(settings::Settings& settings, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_enabled(new QCheckBox(tr("Enable Double Byte Support"), this))
{
    setObjectName(QStringLiteral("doubleByteDialog"));
    setWindowTitle(tr("Advanced - Double Byte Language Support"));
    m_enabled->setObjectName(QStringLiteral("doubleByteCheckBox"));
    m_enabled->setChecked(settings.safeDelete);
    auto* note = new QLabel(tr("With double byte support on, recipients are moved and deleted the slower, safe way "
                               "and groups cannot be sorted."),
                            this);
    note->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &DoubleByteDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &DoubleByteDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_enabled);
    layout->addWidget(note);
    layout->addWidget(buttons);
}

void DoubleByteDialog::accept()
{
    m_settings.safeDelete = m_enabled->isChecked();
    QDialog::accept();
}

} // namespace tidecast::ui
