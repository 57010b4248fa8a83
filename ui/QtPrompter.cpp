#include "ui/QtPrompter.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

namespace tidecast::ui
{

namespace
{

QMessageBox::Icon toQt(Icon icon)
{
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Exclamation:
        return QMessageBox::Warning;
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton toQt(Answer answer)
{
    switch (answer) {
    case Answer::Ok:
        return QMessageBox::Ok;
    case Answer::Cancel:
        return QMessageBox::Cancel;
    case Answer::Yes:
        return QMessageBox::Yes;
    case Answer::No:
        return QMessageBox::No;
    }
    return QMessageBox::NoButton;
}

QMessageBox::StandardButtons toQt(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok:
        return QMessageBox::Ok;
    case Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

Answer fromQt(int button, Buttons buttons)
{
    switch (button) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        break;
    }
    return dismissAnswer(buttons);
}

} // namespace

QString applicationTitle()
{
    return QStringLiteral("Corvane Tidecast");
}

QtPrompter::QtPrompter(QWidget* parent)
    : m_parent(parent)
{}

void QtPrompter::message(std::string_view text, Icon icon)
{
    (void)show(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), Buttons::Ok, icon, Answer::Ok);
}

Answer QtPrompter::ask(std::string_view text, Buttons buttons, Icon icon, Answer defaultAnswer)
{
    return show(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), buttons, icon, defaultAnswer);
}

Answer QtPrompter::show(const QString& text, Buttons buttons, Icon icon, Answer defaultAnswer)
{
    auto run = [&]() {
        QMessageBox box(toQt(icon), applicationTitle(), text, toQt(buttons), m_parent);
        box.setDefaultButton(toQt(defaultAnswer));
        return fromQt(box.exec(), buttons);
    };
    if (QThread::currentThread() == qApp->thread()) {
        return run();
    }
    // A worker thread waits here until the person has answered on the GUI thread.
    Answer answer = dismissAnswer(buttons);
    QMetaObject::invokeMethod(
        qApp, [&]() { answer = run(); }, Qt::BlockingQueuedConnection);
    return answer;
}

} // namespace tidecast::ui
