#pragma once

#include "common/Clock.h"
#include "messages/ComposerRules.h"
#include "messages/FileChooser.h"
#include "messages/MessageDocument.h"
#include "messages/SpellCheck.h"
#include "messages/SpellChecker.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPrinter;

namespace tidecast::ui
{

class ComposerWidget;
class MainWindow;
class MessageListModel;

// The message commands of the main window: new, open, save and print, the composer's edit
// commands, merge macros, text files, attachments and the HTML file, spelling, the setup dialogs,
// the editor font, the welcome wizard and the "Message History" tab. Installed once on the window,
// which owns it; features that work with it are handed it when they are installed.
class MessagesFeature : public QObject
{
    Q_OBJECT

public:
    explicit MessagesFeature(MainWindow& window);
    ~MessagesFeature() override;

    // The message as the composer holds it (body with CR LF line breaks).
    messages::MessageDocument currentDocument() const;
    // Replaces the composer's content by a document, as opening one does.
    void loadDocument(const messages::MessageDocument& document);
    // Empties subject, attachments, body, HTML file and the document name.
    void clearMessage();

    // Save: the save dialog and the document. False when the dialog was cancelled.
    bool saveMessage();
    // After a mailing: stores the sent copy (for `group`, the composer's group when empty) and
    // lists it under "Message History".
    void storeSentCopy(const std::string& group);
    // The check before sending, run only when "Check before Sending" is on: false when the person
    // cancelled the check and then chose not to send.
    bool checkSpellingBeforeSending();
    // The server set-up dialog. True when the person confirmed it.
    bool showServerSetup();
    // The spelling command's check of subject and body.
    void checkSpelling();
    int spellCheckState() const { return m_spellState; }

    // Prints the composer's message on a printer that is already set up.
    bool printTo(QPrinter& printer);

    // Runs updateEditCommands: which edit commands (and context-menu entries) are enabled.
    void updateEditCommands();

    const std::string& documentName() const { return m_documentName; }
    const std::vector<std::string>& attachmentPaths() const { return m_attachmentPaths; }
    void setAttachmentPaths(std::vector<std::string> paths);
    MessageListModel* messageList() const { return m_messageList; }

    // Tests replace the file dialogs and the spelling dialog.
    void setFileChooser(std::unique_ptr<messages::FileChooser> chooser) { m_chooser = std::move(chooser); }
    void setSpellingDialog(messages::SpellingDialog* dialog) { m_spellingDialog = dialog; }

    void openSelectedMessage();
    void deleteSelectedMessage();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void registerCommands();
    void connectComposer();
    void connectHistory();
    void newMessage();
    void openMessageFile();
    void printMessage();
    void insertMacro(std::string_view macro);
    void editCommand(const QString& id);
    void insertTextFile();
    void attachFiles();
    void chooseHtmlFile();
    void chooseEditorFont();
    void showWelcome();
    void rebuildAttachmentList();
    void loadMessageList();
    std::optional<messages::ComposerField> focusedField() const;
    QWidget* fieldWidget(messages::ComposerField field) const;
    messages::FieldState fieldState(messages::ComposerField field) const;
    messages::SpellChecker* spellChecker();
    using SpellWalk = std::function<void(std::string& subject, std::string& body, messages::SpellChecker& checker,
                                         messages::SpellingDialog& dialog)>;
    // Runs a check over the composer's subject and body and puts the changed texts back. False
    // when no dictionary could be opened (the person was told).
    void showCheckedText(messages::ComposerField field, std::string_view text);
    bool runSpellCheck(const SpellWalk& walk);

    MainWindow& m_window;
    ComposerWidget* m_composer;
    MessageListModel* m_messageList;
    std::unique_ptr<messages::FileChooser> m_chooser;
    messages::SpellingDialog* m_spellingDialog = nullptr;
    std::unique_ptr<messages::SpellChecker> m_checker;
    SystemClock m_clock;
    std::string m_documentName;
    std::vector<std::string> m_attachmentPaths;
    int m_spellState = messages::kCheckingSubject;
    // For telling apart the widgets the event filter watches; never dereferenced.
    const QObject* m_subject = nullptr;
    const QObject* m_historyView = nullptr;
};

// Creates the feature on the window (the window owns it).
MessagesFeature* installMessagesFeature(MainWindow& window);

} // namespace tidecast::ui
