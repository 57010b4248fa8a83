#pragma once

#include "common/Prompter.h"
#include "settings/Settings.h"

#include <QDialog>

class QComboBox;
class QSpinBox;

namespace tidecast::ui
{

// "Message Setup": the character set and the transfer encodings of outgoing mail, and the wrap
// width. OK stores them into the settings record.
class MessageSetupDialog : public QDialog
{
    Q_OBJECT

public:
    MessageSetupDialog(settings::Settings& settings, Prompter& prompter, QWidget* parent = nullptr);

    void accept() override;

private:
    settings::Settings& m_settings;
    QComboBox* m_characterSet;
    QComboBox* m_encoding;
    QComboBox* m_htmlEncoding;
    QSpinBox* m_wrapWidth;
};

} // namespace tidecast::ui
