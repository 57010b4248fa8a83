#pragma once

#include "common/Prompter.h"
#include "outgoing/MessagePreview.h"
#include "settings/Settings.h"

#include <QDialog>

#include <filesystem>
#include <functional>
#include <string>

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace tidecast::ui
{

// The preview of a mailing, opened by the send options' Preview: the message as the current
// recipient of the group will receive it, with View Next / View Previous through the group.
class SendPreviewDialog : public QDialog
{
    Q_OBJECT

public:
    // `wrapWidth` as outgoing::MessageMerge::wrapWidth gives it for the mailing's settings.
    SendPreviewDialog(outgoing::OutgoingMessage message, std::string groupName, std::size_t wrapWidth,
                      std::filesystem::path dataDir, settings::Settings settings, Prompter& prompter,
                      QWidget* parent = nullptr);
    ~SendPreviewDialog() override;

    // Tests see the file instead of a browser opening it.
    void setOpener(std::function<void(const QString& path)> opener) { m_opener = std::move(opener); }

    void viewNext();
    void viewPrevious();
    void viewHtml();
    // Shows or hides the header fields as they will be sent, signature included.
    void showHeaders(bool shown);

private:
    void display();
    void displayHeaders();

    outgoing::MessagePreview m_preview;
    settings::Settings m_settings;
    Prompter& m_prompter;
    std::function<void(const QString&)> m_opener;
    QLabel* m_sender;
    QLabel* m_date;
    QLabel* m_recipient;
    QLabel* m_subject;
    QPlainTextEdit* m_body;
    QPlainTextEdit* m_headers;
    QListWidget* m_attachments;
    QLabel* m_statusLabel;
    QPushButton* m_htmlButton;
    QPushButton* m_headersButton;
    QPushButton* m_nextButton;
    QPushButton* m_previousButton;
};

} // namespace tidecast::ui
