#include "ui/MessageSetupDialog.h"

#include "outgoing/DeliverabilityTexts.h"
#include "outgoing/DkimSigner.h"
#include "settings/SetupForms.h"
#include "ui/NumberOnlyFilter.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <utility>

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
    , m_prompter(prompter)
    , m_characterSet(new QComboBox(this))
    , m_encoding(new QComboBox(this))
    , m_htmlEncoding(new QComboBox(this))
    , m_wrapWidth(new QSpinBox(this))
    , m_unsubscribeMailto(new QLineEdit(this))
    , m_unsubscribeUrl(new QLineEdit(this))
    , m_dkimDomain(new QLineEdit(this))
    , m_dkimSelector(new QLineEdit(this))
    , m_dkimKeyFile(new QLineEdit(this))
{
    setObjectName(QStringLiteral("messageSetupDialog"));
    setWindowTitle(tr("Message Setup"));
    auto* pages = new QTabWidget(this);
    pages->setUsesScrollButtons(false); // wide enough for every tab
    pages->setObjectName(QStringLiteral("pagesTabWidget"));
    pages->addTab(messagePage(prompter), tr("Message"));
    pages->addTab(deliverabilityPage(), tr("Deliverability"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &MessageSetupDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &MessageSetupDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addWidget(buttons);
}

QWidget* MessageSetupDialog::messagePage(Prompter& prompter)
{
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

    const auto form = settings::messageSetupForm(m_settings);
    m_characterSet->setCurrentIndex(form.characterSet);
    m_encoding->setCurrentIndex(form.encoding);
    m_htmlEncoding->setCurrentIndex(form.htmlEncoding);
    m_wrapWidth->setValue(form.wrapWidth);

    auto* page = new QWidget(this);
    auto* fields = new QFormLayout(page);
    fields->addRow(tr("Character Set:"), m_characterSet);
    fields->addRow(tr("Text Encoding:"), m_encoding);
    fields->addRow(tr("HTML Encoding:"), m_htmlEncoding);
    fields->addRow(tr("Wrap Width:"), m_wrapWidth);
    return page;
}

QWidget* MessageSetupDialog::deliverabilityPage()
{
    const auto form = settings::deliverabilityForm(m_settings);
    const std::pair<QLineEdit*, std::pair<const char*, const std::string*>> edits[] = {
        {m_unsubscribeMailto, {"unsubscribeMailtoLineEdit", &form.unsubscribeMailto}},
        {m_unsubscribeUrl, {"unsubscribeUrlLineEdit", &form.unsubscribeUrl}},
        {m_dkimDomain, {"dkimDomainLineEdit", &form.dkimDomain}},
        {m_dkimSelector, {"dkimSelectorLineEdit", &form.dkimSelector}},
        {m_dkimKeyFile, {"dkimKeyFileLineEdit", &form.dkimKeyFile}},
    };
    for (const auto& [edit, details] : edits) {
        edit->setObjectName(QString::fromLatin1(details.first));
        edit->setText(fromStd(*details.second));
    }
    m_unsubscribeMailto->setPlaceholderText(QStringLiteral("unsubscribe@example.com"));
    m_unsubscribeUrl->setPlaceholderText(QStringLiteral("https://example.com/unsubscribe?e=!*EMAIL*!"));
    m_dkimKeyFile->setPlaceholderText(tr("PEM private key: RSA of 2048 bits or more, or Ed25519"));
    auto* record = new QPushButton(tr("Show DNS &Record..."), this);
    record->setObjectName(QStringLiteral("dnsRecordButton"));
    connect(record, &QPushButton::clicked, this, &MessageSetupDialog::showDnsRecord);

    auto* page = new QWidget(this);
    auto* fields = new QFormLayout(page);
    fields->addRow(tr("Unsubscribe Mailto:"), m_unsubscribeMailto);
    fields->addRow(tr("Unsubscribe URL:"), m_unsubscribeUrl);
    fields->addRow(tr("DKIM Domain:"), m_dkimDomain);
    fields->addRow(tr("DKIM Selector:"), m_dkimSelector);
    fields->addRow(tr("DKIM Key File:"), m_dkimKeyFile);
    fields->addRow(QString(), record);
    return page;
}

settings::DeliverabilityForm MessageSetupDialog::typedDeliverability() const
{
    const auto text = [](const QLineEdit* edit) { return edit->text().toStdString(); };
    return {text(m_unsubscribeMailto), text(m_unsubscribeUrl), text(m_dkimDomain), text(m_dkimSelector),
            text(m_dkimKeyFile)};
}

void MessageSetupDialog::showDnsRecord()
{
    settings::Settings typed = m_settings;
    settings::applyDeliverability(typedDeliverability(), typed);
    const auto signer = outgoing::DkimSigner::create(typed);
    if (!signer) {
        m_prompter.message(signer.error().detail, Icon::Critical);
        return;
    }
    m_prompter.message(outgoing::text::dkimRecordNotice(signer->dnsName(), signer->dnsRecord()), Icon::Information);
}

void MessageSetupDialog::accept()
{
    settings::applyMessageSetup({m_characterSet->currentIndex(), m_encoding->currentIndex(),
                                 m_htmlEncoding->currentIndex(), m_wrapWidth->value()},
                                m_settings);
    settings::applyDeliverability(typedDeliverability(), m_settings);
    QDialog::accept();
}

} // namespace tidecast::ui
