#include "ui/ServerSetupDialog.h"

#include "ui/NumberOnlyFilter.h"
#include "ui/PasswordKeyring.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
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

QLineEdit* makeEdit(const char* name, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

} // namespace

ServerSetupDialog::ServerSetupDialog(settings::Settings& settings, Prompter& prompter, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_prompter(prompter)
    , m_server(makeEdit("serverLineEdit", this))
    , m_port(makeEdit("portLineEdit", this))
    , m_timeout(new QSlider(Qt::Horizontal, this))
    , m_timeoutLabel(new QLabel(this))
    , m_groupLetSize(new QComboBox(this))
    , m_security(new QComboBox(this))
    , m_caFile(makeEdit("caFileLineEdit", this))
    , m_smtpAuthentication(new QCheckBox(tr("Enable this option"), this))
    , m_smtpUsername(makeEdit("smtpUsernameLineEdit", this))
    , m_smtpPassword(makeEdit("smtpPasswordLineEdit", this))
    , m_pop3Authentication(new QCheckBox(tr("Enable this option"), this))
    , m_pop3Server(makeEdit("pop3ServerLineEdit", this))
    , m_pop3Port(makeEdit("pop3PortLineEdit", this))
    , m_pop3Username(makeEdit("pop3UsernameLineEdit", this))
    , m_pop3Password(makeEdit("pop3PasswordLineEdit", this))
    , m_pop3Default(new QPushButton(tr("D&efault"), this))
    , m_keyring(new QCheckBox(tr("Keep the passwords in the desktop keyring"), this))
    , m_connections(new QSpinBox(this))
    , m_extraServers(makeEdit("extraServersLineEdit", this))
    , m_rateLimit(new QSpinBox(this))
    , m_retryAttempts(new QSpinBox(this))
{
    setObjectName(QStringLiteral("serverSetupDialog"));
    setWindowTitle(tr("E-Mail Server Setup and Configuration"));
    m_timeout->setObjectName(QStringLiteral("timeoutSlider"));
    m_timeoutLabel->setObjectName(QStringLiteral("timeoutLabel"));
    m_groupLetSize->setObjectName(QStringLiteral("groupLetSizeComboBox"));
    m_security->setObjectName(QStringLiteral("securityComboBox"));
    m_smtpAuthentication->setObjectName(QStringLiteral("smtpAuthenticationCheckBox"));
    m_pop3Authentication->setObjectName(QStringLiteral("pop3AuthenticationCheckBox"));
    m_pop3Default->setObjectName(QStringLiteral("pop3DefaultButton"));
    m_keyring->setObjectName(QStringLiteral("keyringCheckBox"));
    m_smtpPassword->setEchoMode(QLineEdit::Password);
    m_pop3Password->setEchoMode(QLineEdit::Password);
    NumberOnlyFilter::install(m_port, prompter);
    NumberOnlyFilter::install(m_pop3Port, prompter);

    m_timeout->setRange(0, settings::kTimeoutSteps - 1);
    m_timeout->setPageStep(2);
    for (const auto size : settings::groupLetSizes()) {
        m_groupLetSize->addItem(fromStd(size));
    }
    for (const auto& choice : settings::securityChoices()) {
        m_security->addItem(fromStd(choice.shown), fromStd(choice.stored));
    }

    // Outgoing server.
    auto* smtpDefault = new QPushButton(tr("&Default"), this);
    smtpDefault->setObjectName(QStringLiteral("smtpDefaultButton"));
    auto* caBrowse = new QPushButton(tr("&Browse..."), this);
    caBrowse->setObjectName(QStringLiteral("caFileBrowseButton"));
    auto* serverBox = new QGroupBox(tr("Outgoing Mail Server (SMTP)"), this);
    auto* serverForm = new QFormLayout(serverBox);
    serverForm->addRow(tr("Mail Server:"), m_server);
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(m_port);
    portRow->addWidget(smtpDefault);
    serverForm->addRow(tr("Port:"), portRow);
    serverForm->addRow(tr("Security:"), m_security);
    auto* caRow = new QHBoxLayout;
    caRow->addWidget(m_caFile, 1);
    caRow->addWidget(caBrowse);
    serverForm->addRow(tr("CA File:"), caRow);
    auto* timeoutRow = new QHBoxLayout;
    timeoutRow->addWidget(m_timeout, 1);
    timeoutRow->addWidget(m_timeoutLabel);
    serverForm->addRow(tr("Server Time-out:"), timeoutRow);
    serverForm->addRow(tr("Bulk Group Size:"), m_groupLetSize);

    auto* authBox = new QGroupBox(tr("Server requires authentication"), this);
    auto* authForm = new QFormLayout(authBox);
    authForm->addRow(m_smtpAuthentication);
    authForm->addRow(tr("User Name:"), m_smtpUsername);
    authForm->addRow(tr("Password:"), m_smtpPassword);

    auto* popBox = new QGroupBox(tr("Check mail (POP3) before sending"), this);
    auto* popForm = new QFormLayout(popBox);
    popForm->addRow(m_pop3Authentication);
    popForm->addRow(tr("POP3 Server:"), m_pop3Server);
    auto* popPortRow = new QHBoxLayout;
    popPortRow->addWidget(m_pop3Port);
    popPortRow->addWidget(m_pop3Default);
    popForm->addRow(tr("Port:"), popPortRow);
    popForm->addRow(tr("User Name:"), m_pop3Username);
    popForm->addRow(tr("Password:"), m_pop3Password);

    m_connections->setObjectName(QStringLiteral("connectionsSpinBox"));
    m_connections->setRange(1, settings::kMaxConnections);
    m_extraServers->setPlaceholderText(tr("host[:port], host[:port] ..."));
    m_rateLimit->setObjectName(QStringLiteral("rateLimitSpinBox"));
    m_rateLimit->setRange(0, 1'000'000);
    m_rateLimit->setSuffix(tr(" a minute"));
    m_rateLimit->setSpecialValueText(tr("No limit"));
    m_retryAttempts->setObjectName(QStringLiteral("retryAttemptsSpinBox"));
    m_retryAttempts->setRange(1, settings::kMaxRetryAttempts);
    auto* sendingBox = new QGroupBox(tr("Connections and relays"), this);
    auto* sendingForm = new QFormLayout(sendingBox);
    sendingForm->addRow(tr("Connections:"), m_connections);
    sendingForm->addRow(tr("Extra Servers:"), m_extraServers);
    sendingForm->addRow(tr("Rate Limit:"), m_rateLimit);
    sendingForm->addRow(tr("Retry Attempts:"), m_retryAttempts);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(serverBox);
    layout->addWidget(authBox);
    layout->addWidget(popBox);
    layout->addWidget(sendingBox);
    layout->addWidget(m_keyring);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &ServerSetupDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ServerSetupDialog::reject);
    connect(m_timeout, &QSlider::valueChanged, this, &ServerSetupDialog::setTimeoutPosition);
    connect(m_smtpAuthentication, &QCheckBox::toggled, this, &ServerSetupDialog::updateEnabled);
    connect(m_pop3Authentication, &QCheckBox::toggled, this, &ServerSetupDialog::updateEnabled);
    connect(smtpDefault, &QPushButton::clicked, this, [this] { m_port->setText(fromStd(settings::kDefaultSmtpPort)); });
    connect(m_pop3Default, &QPushButton::clicked, this,
            [this] { m_pop3Port->setText(fromStd(settings::kDefaultPop3Port)); });
    connect(caBrowse, &QPushButton::clicked, this, [this] {
        const QString file =
            QFileDialog::getOpenFileName(this, tr("Choose the certificate authority file"), m_caFile->text(),
                                         tr("Certificates (*.pem *.crt);;All Files (*)"));
        if (!file.isEmpty()) {
            m_caFile->setText(file);
        }
    });

    const auto initial = settings::serverSetupForm(settings);
    m_server->setText(QString::fromStdString(initial.server));
    m_port->setText(QString::fromStdString(initial.port));
    m_groupLetSize->setCurrentText(QString::fromStdString(initial.bulkGroupSize));
    m_security->setCurrentIndex(settings::securityIndex(initial.security));
    m_caFile->setText(QString::fromStdString(initial.certificateAuthorityFile));
    m_smtpAuthentication->setChecked(initial.smtpAuthentication);
    m_smtpUsername->setText(QString::fromStdString(initial.smtpUsername));
    m_smtpPassword->setText(QString::fromStdString(initial.smtpPassword));
    m_pop3Authentication->setChecked(initial.pop3Authentication);
    m_pop3Server->setText(QString::fromStdString(initial.pop3Server));
    m_pop3Port->setText(QString::fromStdString(initial.pop3Port));
    m_pop3Username->setText(QString::fromStdString(initial.pop3Username));
    m_pop3Password->setText(QString::fromStdString(initial.pop3Password));
    m_keyring->setChecked(initial.passwordsInKeyring);
    m_connections->setValue(initial.connections);
    m_extraServers->setText(QString::fromStdString(initial.extraServers));
    m_rateLimit->setValue(initial.rateLimit);
    m_retryAttempts->setValue(initial.retryAttempts);
    // Set the caption even when the slider already stands at the position.
    m_timeout->setValue(initial.timeoutPosition);
    setTimeoutPosition(initial.timeoutPosition);
    updateEnabled();
}

void ServerSetupDialog::setTimeoutPosition(int position)
{
    m_timeoutSeconds = settings::timeoutSeconds(position);
    m_timeoutLabel->setText(QString::fromStdString(settings::timeoutCaption(position)));
}

void ServerSetupDialog::updateEnabled()
{
    const bool smtp = m_smtpAuthentication->isChecked();
    m_smtpUsername->setEnabled(smtp);
    m_smtpPassword->setEnabled(smtp);
    const bool pop3 = m_pop3Authentication->isChecked();
    for (QWidget* widget :
         std::initializer_list<QWidget*>{m_pop3Server, m_pop3Port, m_pop3Username, m_pop3Password, m_pop3Default}) {
        widget->setEnabled(pop3);
    }
}

settings::ServerSetupForm ServerSetupDialog::form() const
{
    settings::ServerSetupForm form;
    form.server = m_server->text().trimmed().toStdString();
    form.port = m_port->text().toStdString();
    form.timeoutPosition = m_timeout->value();
    form.bulkGroupSize = m_groupLetSize->currentText().toStdString();
    form.smtpAuthentication = m_smtpAuthentication->isChecked();
    form.smtpUsername = m_smtpUsername->text().toStdString();
    form.smtpPassword = m_smtpPassword->text().toStdString();
    form.pop3Authentication = m_pop3Authentication->isChecked();
    form.pop3Server = m_pop3Server->text().trimmed().toStdString();
    form.pop3Port = m_pop3Port->text().toStdString();
    form.pop3Username = m_pop3Username->text().toStdString();
    form.pop3Password = m_pop3Password->text().toStdString();
    form.passwordsInKeyring = m_keyring->isChecked();
    form.security = m_security->currentData().toString().toStdString();
    form.certificateAuthorityFile = m_caFile->text().toStdString();
    form.connections = m_connections->value();
    form.extraServers = m_extraServers->text().trimmed().toStdString();
    form.rateLimit = m_rateLimit->value();
    form.retryAttempts = m_retryAttempts->value();
    return form;
}

void ServerSetupDialog::accept()
{
    switch (settings::applyServerSetup(form(), m_settings, m_prompter)) {
    case settings::ServerSetupRefusal::SmtpUsername:
        m_smtpUsername->setFocus();
        return;
    case settings::ServerSetupRefusal::Pop3Server:
        m_pop3Server->setFocus();
        return;
    case settings::ServerSetupRefusal::None:
        if (m_settings.passwordsInKeyring) {
            if (auto kept = PasswordKeyring().keepPasswords(m_settings); !kept) {
                m_prompter.message("The desktop keyring could not keep the passwords (" + kept.error().detail +
                                       "). They stay in the settings file.",
                                   Icon::Exclamation);
                m_settings.passwordsInKeyring = false;
            }
        }
        QDialog::accept();
        return;
    }
}

} // namespace tidecast::ui
