#include "ui/MessageSetupDialog.h"

#include "settings/SetupForms.h"
#include "ui/NumberOnlyFilter.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tidecast::ui
{

namespace
{

QString fromStd(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

constexpr int kLongestWrap = 998; // the longest line a mail may carry

} // namespace

MessageSetupDialog::MessageSetupDialog(settings::Settings& settings, Prompter& prompter, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_characterSet(new QComboBox(this))
    , m_encoding(new QComboBox(this))
    , m_htmlEncoding(new QComboBox(this))
    , m_wrapWidth(new QSpinBox(this))
{
    setObjectName(QStringLiteral("messageSetupDialog"));
    setWindowTitle(tr("Message Setup"));
    m_characterSet->setObjectName(QStringLiteral("characterSetComboBox"));
    m_encoding->setObjectName(QStringLiteral("encodingComboBox"));
    m_htmlEncoding->setObjectName(QStringLiteral("htmlEncodingComboBox"));
    m_wrapWidth->setObjectName(QStringLiteral("wrapWidthSpinBox"));
    for (const auto& choice : settings::characterSetChoices()) {
        m_characterSet->addItem(fromStd(choice.shown));
    }
    for (const auto& choice : settings::encodingChoices()) {
        m_encoding->addItem(fromStd(choice.shown));
        m_htmlEncoding->addItem(fromStd(choice.shown));
    }
    m_wrapWidth->setRange(1, kLongestWrap);
    if (auto* edit = m_wrapWidth->findChild<QLineEdit*>()) {
        NumberOnlyFilter::install(edit, prompter);
    }

    const auto form = settings::messageSetupForm(settings);
    m_characterSet->setCurrentIndex(form.characterSet);
    m_encoding->setCurrentIndex(form.encoding);
    m_htmlEncoding->setCurrentIndex(form.htmlEncoding);
    m_wrapWidth->setValue(form.wrapWidth);

    auto* fields = new QFormLayout;
    fields->addRow(tr("Character Set:"), m_characterSet);
    fields->addRow(tr("Text Encoding:"), m_encoding);
    fields->addRow(tr("HTML Encoding:"), m_htmlEncoding);
    fields->addRow(tr("Wrap Width:"), m_wrapWidth);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &MessageSetupDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &MessageSetupDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(buttons);
}

void MessageSetupDialog::accept()
{
    settings::applyMessageSetup({m_characterSet->currentIndex(), m_encoding->currentIndex(),
                                 m_htmlEncoding->currentIndex(), m_wrapWidth->value()},
                                m_settings);
    QDialog::accept();
}

} // namespace tidecast::ui
