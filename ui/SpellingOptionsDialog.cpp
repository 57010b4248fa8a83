#include "ui/SpellingOptionsDialog.h"

#include "settings/SetupForms.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tidecast::ui
{

SpellingOptionsDialog::SpellingOptionsDialog(settings::Settings& settings, messages::FileChooser& chooser,
                                             QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_checkBeforeSending(new QCheckBox(tr("&Check before Sending"), this))
    , m_ignoreUpperCase(new QCheckBox(tr("Ignore Words in &Upper Case"), this))
    , m_ignoreNumbers(new QCheckBox(tr("Ignore Words with &Numbers"), this))
    , m_ignoreMixedCase(new QCheckBox(tr("Ignore Words in &Mixed Case"), this))
    , m_dictionary(new QLineEdit(QString::fromStdString(settings.dictionary), this))
{
    setObjectName(QStringLiteral("spellingOptionsDialog"));
    setWindowTitle(tr("Spell Checker Setup & Options"));
    m_checkBeforeSending->setObjectName(QStringLiteral("checkBeforeSendingCheckBox"));
    m_ignoreUpperCase->setObjectName(QStringLiteral("ignoreUpperCaseCheckBox"));
    m_ignoreNumbers->setObjectName(QStringLiteral("ignoreNumbersCheckBox"));
    m_ignoreMixedCase->setObjectName(QStringLiteral("ignoreMixedCaseCheckBox"));
    m_dictionary->setObjectName(QStringLiteral("dictionaryLineEdit"));
    m_dictionary->setPlaceholderText(tr("US English (installed)"));
    m_checkBeforeSending->setChecked(settings.checkBeforeSending);
    m_ignoreUpperCase->setChecked(settings.ignoreUpperCase);
    m_ignoreNumbers->setChecked(settings.ignoreNumbers);
    m_ignoreMixedCase->setChecked(settings.ignoreMixedCase);

    auto* select = new QPushButton(tr("&Select"), this);
    select->setObjectName(QStringLiteral("selectDictionaryButton"));
    connect(select, &QPushButton::clicked, this, [this, &chooser] {
        messages::FileDialogRequest request{tr("Select a dictionary").toStdString(),
                                            std::string(settings::kDictionaryFilter),
                                            std::filesystem::path(m_dictionary->text().toStdString()).parent_path(),
                                            {}};
        if (const auto chosen = chooser.openFile(request)) {
            m_dictionary->setText(QString::fromStdString(chosen->string()));
        }
    });

    auto* options = new QGroupBox(tr("Options"), this);
    auto* optionsLayout = new QVBoxLayout(options);
    optionsLayout->addWidget(m_checkBeforeSending);
    optionsLayout->addWidget(m_ignoreUpperCase);
    optionsLayout->addWidget(m_ignoreNumbers);
    optionsLayout->addWidget(m_ignoreMixedCase);
    auto* dictionaryBox = new QGroupBox(tr("Main Dictionary"), this);
    auto* dictionaryRow = new QHBoxLayout(dictionaryBox);
    dictionaryRow->addWidget(m_dictionary, 1);
    dictionaryRow->addWidget(select);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &SpellingOptionsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SpellingOptionsDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(options);
    layout->addWidget(dictionaryBox);
    layout->addWidget(buttons);
}

void SpellingOptionsDialog::accept()
{
    m_settings.dictionary = m_dictionary->text().trimmed().toStdString();
    m_settings.checkBeforeSending = m_checkBeforeSending->isChecked();
    m_settings.ignoreUpperCase = m_ignoreUpperCase->isChecked();
    m_settings.ignoreNumbers = m_ignoreNumbers->isChecked();
    m_settings.ignoreMixedCase = m_ignoreMixedCase->isChecked();
    QDialog::accept();
}

} // namespace tidecast::ui
