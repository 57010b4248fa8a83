#pragma once

#include "common/Prompter.h"
#include "settings/Settings.h"
#include "settings/SetupForms.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;

namespace tidecast::ui
{

// "E-Mail Server Setup and Configuration": the outgoing server, its time-out, the bulk split size,
// server authentication, the mailbox checked before sending, how the connection is secured, and
// how the mailing spreads over connections and relays.
// OK stores into the settings record (nothing is written to disk here).
class ServerSetupDialog : public QDialog
{
    Q_OBJECT

public:
    ServerSetupDialog(settings::Settings& settings, Prompter& prompter, QWidget* parent = nullptr);

    QSlider* timeoutSlider() const { return m_timeout; }
    QLabel* timeoutLabel() const { return m_timeoutLabel; }
    int timeoutSeconds() const { return m_timeoutSeconds; }

    void accept() override;

private:
    void setTimeoutPosition(int position);
    void updateEnabled();
    settings::ServerSetupForm form() const;

    settings::Settings& m_settings;
    Prompter& m_prompter;
    int m_timeoutSeconds = 0;

    QLineEdit* m_server;
    QLineEdit* m_port;
    QSlider* m_timeout;
    QLabel* m_timeoutLabel;
    QComboBox* m_groupLetSize;
    QComboBox* m_security;
    QLineEdit* m_caFile;
    QCheckBox* m_smtpAuthentication;
    QLineEdit* m_smtpUsername;
    QLineEdit* m_smtpPassword;
    QCheckBox* m_pop3Authentication;
    QLineEdit* m_pop3Server;
    QLineEdit* m_pop3Port;
    QLineEdit* m_pop3Username;
    QLineEdit* m_pop3Password;
    QPushButton* m_pop3Default;
    QCheckBox* m_keyring;
    QSpinBox* m_connections;
    QLineEdit* m_extraServers;
    QSpinBox* m_rateLimit;
    QSpinBox* m_retryAttempts;
};

} // namespace tidecast::ui
