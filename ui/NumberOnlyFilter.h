#pragma once

#include "common/Prompter.h"

#include <QObject>

class QLineEdit;

namespace tidecast::ui
{

// Lets only digits and backspace into a field; any other typed character beeps, is dropped and
// shows "Numbers only please!". Keys that type nothing (arrows, Enter, Tab) pass through.
class NumberOnlyFilter : public QObject
{
    Q_OBJECT

public:
    NumberOnlyFilter(Prompter& prompter, QObject* parent);

    // Installs a filter (owned by the field) and a validator for pasted text.
    static void install(QLineEdit* field, Prompter& prompter);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Prompter& m_prompter;
};

} // namespace tidecast::ui
