#pragma once

#include <QWidget>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace tidecast::ui
{

// The "Edit Message" tab: the group to send to, subject, body, priority, file attachments and the
// optional HTML message file. Tracks whether the text changed since it was last saved or opened.
class ComposerWidget : public QWidget
{
    Q_OBJECT

public:
    explicit ComposerWidget(QWidget* parent = nullptr);

    QComboBox* groupSelector() const { return m_groupSelector; }
    QLineEdit* subjectEdit() const { return m_subject; }
    QPlainTextEdit* bodyEdit() const { return m_body; }
    QComboBox* priorityBox() const { return m_priority; }
    QListWidget* attachmentList() const { return m_attachments; }
    QPushButton* attachmentsButton() const { return m_attachmentsButton; }
    QLineEdit* htmlFileEdit() const { return m_htmlFile; }
    QPushButton* htmlFileButton() const { return m_htmlFileButton; }

    bool isTextChanged() const { return m_textChanged; }
    void setTextChanged(bool changed);

    // Empties subject, attachment list, plain-text body and HTML file.
    void clearMessage();

    // Fills the priority list with "High", "Normal", "Low" and selects "Normal".
    void resetPriority();

signals:
    void textChangedStateChanged(bool changed);

private:
    QComboBox* m_groupSelector;
    QLineEdit* m_subject;
    QPlainTextEdit* m_body;
    QComboBox* m_priority;
    QListWidget* m_attachments;
    QPushButton* m_attachmentsButton;
    QLineEdit* m_htmlFile;
    QPushButton* m_htmlFileButton;
    bool m_textChanged = false;
};

} // namespace tidecast::ui
