#include "ui/NumberOnlyFilter.h"

#include "settings/SetupForms.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace tidecast::ui
{

NumberOnlyFilter::NumberOnlyFilter(Prompter& prompter, QObject* parent)
    : QObject(parent)
    , m_prompter(prompter)
{}

void NumberOnlyFilter::install(QLineEdit* field, Prompter& prompter)
{
    field->installEventFilter(new NumberOnlyFilter(prompter, field));
    field->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
}

bool NumberOnlyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress) {
        return QObject::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    if (text.isEmpty()) {
        return false;
    }
    const char32_t typed = text.at(0).unicode();
    // Control characters (Enter, Tab, Escape, shortcuts) are not typing; backspace is allowed.
    if ((typed < 0x20 && typed != U'\b') || typed == 0x7F || settings::isNumberKey(typed)) {
        return false;
    }
    QApplication::beep();
    m_prompter.message(settings::kNumbersOnly, Icon::Exclamation);
    return true;
}

} // namespace tidecast::ui
