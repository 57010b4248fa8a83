#pragma once

#include "messages/SpellCheck.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tidecast::ui
{

// The spelling dialog: the unknown word in its sentence, a replacement with suggestions, and
// Ignore, Ignore All, Change, Change All, Add and Cancel. Each question is one modal run.
class SpellCheckDialog : public QDialog, public messages::SpellingDialog
{
    Q_OBJECT

public:
    explicit SpellCheckDialog(QWidget* parent = nullptr);

    messages::SpellAction askAbout(const messages::SpellQuery& query) override;

    // Called before each question so that the owner can show the word in its field and keep the
    // dialog clear of it.
    void setBeforeAsking(std::function<void(const messages::SpellQuery&, QDialog&)> hook)
    {
        m_beforeAsking = std::move(hook);
    }

private:
    void finish(messages::SpellActionKind kind);

    std::function<void(const messages::SpellQuery&, QDialog&)> m_beforeAsking;
    messages::SpellAction m_action;
    QLabel* m_context;
    QLineEdit* m_word;
    QLineEdit* m_changeTo;
    QListWidget* m_suggestions;
};

} // namespace tidecast::ui
