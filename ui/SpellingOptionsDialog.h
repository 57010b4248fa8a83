#pragma once

#include "common/Prompter.h"
#include "messages/FileChooser.h"
#include "settings/Settings.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace tidecast::ui
{

// "Spell Checker Setup & Options": check before sending, the three skip options and the main
// dictionary (empty: the installed US English one).
class SpellingOptionsDialog : public QDialog
{
    Q_OBJECT

public:
    SpellingOptionsDialog(settings::Settings& settings, messages::FileChooser& chooser, QWidget* parent = nullptr);

    void accept() override;

private:
    settings::Settings& m_settings;
    QCheckBox* m_checkBeforeSending;
    QCheckBox* m_ignoreUpperCase;
    QCheckBox* m_ignoreNumbers;
    QCheckBox* m_ignoreMixedCase;
    QLineEdit* m_dictionary;
};

} // namespace tidecast::ui
