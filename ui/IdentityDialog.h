#pragma once

#include "settings/Settings.h"

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;

namespace tidecast::ui
{

// "Default Identification Details": the sender's name, addresses, organisation and signature used
// for groups without their own identity. OK stores them unchecked.
class IdentityDialog : public QDialog
{
    Q_OBJECT

public:
    explicit IdentityDialog(settings::Settings& settings, QWidget* parent = nullptr);

    void accept() override;

private:
    settings::Settings& m_settings;
    QLineEdit* m_name;
    QLineEdit* m_email;
    QLineEdit* m_replyTo;
    QLineEdit* m_organisation;
    QPlainTextEdit* m_signature;
};

} // namespace tidecast::ui
