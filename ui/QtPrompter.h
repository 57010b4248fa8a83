#pragma once

#include "common/Prompter.h"

#include <QPointer>
#include <QWidget>

namespace tidecast::ui
{

// Shows each message as a modal message box captioned with the application title. Called from a
// worker thread it blocks that thread until the person answers on the GUI thread.
class QtPrompter final : public Prompter
{
public:
    explicit QtPrompter(QWidget* parent = nullptr);

    void setParent(QWidget* parent) { m_parent = parent; }

    void message(std::string_view text, Icon icon) override;
    Answer ask(std::string_view text, Buttons buttons, Icon icon, Answer defaultAnswer) override;

private:
    Answer show(const QString& text, Buttons buttons, Icon icon, Answer defaultAnswer);

    QPointer<QWidget> m_parent;
};

// The caption of every message box and of the main window.
QString applicationTitle();

} // namespace tidecast::ui
