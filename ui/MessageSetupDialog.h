#pragma once

#include "common/Prompter.h"
#include "settings/Settings.h"
#include "settings/SetupForms.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QSpinBox;
class QWidget;

namespace tidecast::ui
{

// "Message Setup": the character set and the transfer encodings of outgoing mail, and the wrap
// width; on a second page the unsubscribe address and URL and the DKIM signing key. OK stores
// them into the settings record.
class MessageSetupDialog : public QDialog
{
    Q_OBJECT

public:
    MessageSetupDialog(settings::Settings& settings, Prompter& prompter, QWidget* parent = nullptr);

    void accept() override;

private:
    QWidget* messagePage(Prompter& prompter);
    QWidget* deliverabilityPage();
    settings::DeliverabilityForm typedDeliverability() const;
    // Shows the TXT record of the key typed in, or why there is none.
    void showDnsRecord();

    settings::Settings& m_settings;
    Prompter& m_prompter;
    QComboBox* m_characterSet;
    QComboBox* m_encoding;
    QComboBox* m_htmlEncoding;
    QSpinBox* m_wrapWidth;
    QLineEdit* m_unsubscribeMailto;
    QLineEdit* m_unsubscribeUrl;
    QLineEdit* m_dkimDomain;
    QLineEdit* m_dkimSelector;
    QLineEdit* m_dkimKeyFile;
};

} // namespace tidecast::ui
