#include "ui/MessagesFeature.h"

#include "messages/Attachments.h"
#include "messages/MessageFiles.h"
#include "messages/MessageList.h"
#include "outgoing/MergeMacros.h"
#include "ui/AttachmentsDialog.h"
#include "ui/ComposerWidget.h"
#include "ui/DoubleByteDialog.h"
#include "ui/GroupSetupWidget.h"
#include "ui/IdentityDialog.h"
#include "ui/MainWindow.h"
#include "ui/MessageHistoryWidget.h"
#include "ui/MessageListModel.h"
#include "ui/MessagePrinter.h"
#include "ui/MessageSetupDialog.h"
#include "ui/QtFileChooser.h"
#include "ui/ServerSetupDialog.h"
#include "ui/SpellCheckDialog.h"
#include "ui/SpellingOptionsDialog.h"
#include "ui/WelcomeWizard.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFontDialog>
#include <QGuiApplication>
#include <QHash>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>

namespace tidecast::ui
{

namespace
{

QString fromStd(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

const QStringList& editCommandIds()
{
    static const QStringList ids = {QStringLiteral("ID_Undo"),  QStringLiteral("ID_Cut"),
                                    QStringLiteral("ID_Copy"),  QStringLiteral("ID_Paste"),
                                    QStringLiteral("ID_Clear"), QStringLiteral("ID_SelectAll")};
    return ids;
}

// The platform's icon for a file's type, looked up once per upper-case extension.
QIcon fileTypeIcon(const QString& path)
{
    static QHash<QString, QIcon> cache;
    static QFileIconProvider provider;
    const QString extension = QFileInfo(path).suffix().toUpper();
    auto it = cache.find(extension);
    if (it == cache.end()) {
        it = cache.insert(extension, provider.icon(QFileInfo(path)));
    }
    return it.value();
}

// Focus that comes back from a menu or from another window finds the caret where it was left: a
// merge macro chosen from the menu goes in there, not over the whole subject.
bool isFocusFromElsewhere(const QFocusEvent& event)
{
    switch (event.reason()) {
    case Qt::PopupFocusReason:
    case Qt::MenuBarFocusReason:
    case Qt::ActiveWindowFocusReason:
        return false;
    default:
        return true;
    }
}

// Asks through another spelling dialog and shows each checked field in the composer.
class FieldShowingDialog final : public messages::SpellingDialog
{
public:
    using Show = std::function<void(messages::ComposerField, std::string_view)>;
    FieldShowingDialog(messages::SpellingDialog& asker, Show show)
        : m_asker(asker)
        , m_show(std::move(show))
    {}
    messages::SpellAction askAbout(const messages::SpellQuery& query) override { return m_asker.askAbout(query); }
    void showChecked(messages::ComposerField field, std::string_view text) override
    {
        m_asker.showChecked(field, text);
        m_show(field, text);
    }

private:
    messages::SpellingDialog& m_asker;
    Show m_show;
};

// A UTF-8 byte offset into CR LF text as a position in the editor's LF text.
int editorPosition(std::string_view text, std::size_t offset)
{
    return static_cast<int>(fromStd(messages::toEditorText(text.substr(0, offset))).size());
}

} // namespace

MessagesFeature::MessagesFeature(MainWindow& window)
    : QObject(&window)
    , m_window(window)
    , m_composer(window.composer())
    , m_messageList(new MessageListModel(this))
    , m_chooser(std::make_unique<QtFileChooser>(&window))
{
    setObjectName(QStringLiteral("messagesFeature"));
    registerCommands();
    connectComposer();
    connectHistory();

    auto& hooks = window.hooks();
    hooks.loadMessages = [this] { loadMessageList(); };
    hooks.checkEdit = [this] { updateEditCommands(); };
    hooks.showWelcome = [this] { showWelcome(); };
    hooks.openMessage = [this](const QString& path) {
        clearMessage();
        loadDocument(messages::readMessageDocument(path.toStdString()));
        m_window.setDocumentName(QFileInfo(path).fileName());
        m_composer->setTextChanged(false);
        return true;
    };
    hooks.openTextFile = [this](const QString& path) {
        m_composer->bodyEdit()->setPlainText(
            fromStd(messages::toEditorText(messages::readTextFile(path.toStdString()))));
        m_composer->setTextChanged(false);
    };
    hooks.saveMessage = [this](const QString&) { return saveMessage(); };
}

MessagesFeature::~MessagesFeature() = default;

MessagesFeature* installMessagesFeature(MainWindow& window)
{
    return new MessagesFeature(window);
}

void MessagesFeature::registerCommands()
{
    auto add = [this](const char* id, std::function<void()> handler, bool onComposer) {
        m_window.registerCommand(QString::fromLatin1(id), std::move(handler), onComposer);
    };
    add(
        "ID_New", [this] { newMessage(); }, true);
    add(
        "ID_Open", [this] { openMessageFile(); }, true);
    add(
        "ID_Save", [this] { saveMessage(); }, true);
    add(
        "ID_Print", [this] { printMessage(); }, true);
    for (const auto& id : editCommandIds()) {
        m_window.registerCommand(
            id, [this, id] { editCommand(id); }, true);
    }
    for (const auto& command : outgoing::kMergeMacros) {
        const auto macro = command.macro;
        m_window.registerCommand(
            fromStd(command.commandId), [this, macro] { insertMacro(macro); }, true);
    }
    add(
        "ID_TextfromaFile...", [this] { insertTextFile(); }, true);
    add(
        "ID_FileAttachments", [this] { attachFiles(); }, true);
    add(
        "ID_AttachaHTMLMessageFile", [this] { chooseHtmlFile(); }, true);
    add(
        "ID_SpellCheck",
        [this] {
            m_composer->bodyEdit()->setFocus();
            checkSpelling();
        },
        true);
    add(
        "ID_EmailSettings", [this] { showServerSetup(); }, false);
    add(
        "ID_MessageSetup",
        [this] {
            MessageSetupDialog dialog(m_window.settings(), m_window.prompter(), &m_window);
            dialog.exec();
        },
        false);
    add(
        "ID_IdentificationSettings",
        [this] {
            IdentityDialog dialog(m_window.settings(), &m_window);
            dialog.exec();
        },
        false);
    add(
        "ID_SpellCheckerSetup",
        [this] {
            SpellingOptionsDialog dialog(m_window.settings(), *m_chooser, &m_window);
            if (dialog.exec() == QDialog::Accepted) {
                m_checker.reset(); // the dictionary may have changed
            }
        },
        false);
    add(
        "ID_EditorFontSettings", [this] { chooseEditorFont(); }, false);
    add(
        "ID_DBS",
        [this] {
            DoubleByteDialog dialog(m_window.settings(), &m_window);
            dialog.exec();
        },
        false);

    if (QMenu* edit = m_window.menuById(QStringLiteral("ID_Edit"))) {
        connect(edit, &QMenu::aboutToShow, this, &MessagesFeature::updateEditCommands);
    }
}

void MessagesFeature::connectComposer()
{
    QLineEdit* subject = m_composer->subjectEdit();
    QPlainTextEdit* body = m_composer->bodyEdit();
    QLineEdit* html = m_composer->htmlFileEdit();
    m_subject = subject;
    html->setReadOnly(false);
    for (QObject* watched : std::initializer_list<QObject*>{subject, body, body->viewport(), html}) {
        watched->installEventFilter(this);
    }
    connect(html, &QLineEdit::textEdited, this, [this] { m_composer->setTextChanged(true); });
    connect(m_composer->attachmentsButton(), &QPushButton::clicked, this,
            [this] { m_window.dispatch(QStringLiteral("ID_FileAttachments")); });
    connect(m_composer->htmlFileButton(), &QPushButton::clicked, this,
            [this] { m_window.dispatch(QStringLiteral("ID_AttachaHTMLMessageFile")); });
}

void MessagesFeature::connectHistory()
{
    QTreeView* view = m_window.history()->messagesView();
    m_historyView = view;
    view->setModel(m_messageList);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->installEventFilter(this);
    connect(view, &QTreeView::doubleClicked, this, &MessagesFeature::openSelectedMessage);
    connect(m_window.history()->openButton(), &QPushButton::clicked, this, &MessagesFeature::openSelectedMessage);
    connect(m_window.history()->deleteButton(), &QPushButton::clicked, this, &MessagesFeature::deleteSelectedMessage);
}

bool MessagesFeature::eventFilter(QObject* watched, QEvent* event)
{
    // Only compare with pointers kept from the start: events still arrive while the window is
    // being torn down, when asking it for its widgets is no longer safe.
    if (watched == m_historyView && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            openSelectedMessage();
            return true;
        }
        if (key == Qt::Key_Delete) {
            deleteSelectedMessage();
            return true;
        }
        return false;
    }
    switch (event->type()) {
    case QEvent::KeyRelease:
    case QEvent::MouseButtonRelease:
        // After the widget has handled the event, so that the selection is up to date.
        QTimer::singleShot(0, this, &MessagesFeature::updateEditCommands);
        break;
    case QEvent::FocusIn:
        if (auto* subject = qobject_cast<QLineEdit*>(watched);
            subject != nullptr && watched == m_subject && isFocusFromElsewhere(*static_cast<QFocusEvent*>(event))) {
            // After the click that gave the focus, which would place the caret.
            QTimer::singleShot(0, subject, &QLineEdit::selectAll);
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

std::optional<messages::ComposerField> MessagesFeature::focusedField() const
{
    const QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr) {
        return std::nullopt;
    }
    if (focus == m_composer->subjectEdit()) {
        return messages::ComposerField::Subject;
    }
    if (focus == m_composer->bodyEdit() || focus == m_composer->bodyEdit()->viewport()) {
        return messages::ComposerField::Body;
    }
    if (focus == m_composer->htmlFileEdit()) {
        return messages::ComposerField::Html;
    }
    return std::nullopt;
}

QWidget* MessagesFeature::fieldWidget(messages::ComposerField field) const
{
    switch (field) {
    case messages::ComposerField::Subject:
        return m_composer->subjectEdit();
    case messages::ComposerField::Html:
        return m_composer->htmlFileEdit();
    case messages::ComposerField::Body:
        break;
    }
    return m_composer->bodyEdit();
}

messages::FieldState MessagesFeature::fieldState(messages::ComposerField field) const
{
    QWidget* widget = fieldWidget(field);
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        return {line->hasSelectedText(), line->text().isEmpty(), line->isUndoAvailable()};
    }
    auto* text = static_cast<QPlainTextEdit*>(widget);
    return {text->textCursor().hasSelection(), text->document()->isEmpty(), text->document()->isUndoAvailable()};
}

void MessagesFeature::updateEditCommands()
{
    const bool active = m_window.tabs()->currentIndex() == MainWindow::EditMessageTab;
    messages::EditCommands commands;
    if (active) {
        auto field = focusedField();
        if (!field) {
            m_composer->bodyEdit()->setFocus();
            field = messages::ComposerField::Body;
        }
        const bool clipboardHasText = !QGuiApplication::clipboard()->text().isEmpty();
        commands = messages::updateEditCommands(true, fieldState(*field), clipboardHasText);
    }
    const bool states[] = {commands.undo,  commands.cut,   commands.copy,
                           commands.paste, commands.clear, commands.selectAll};
    for (qsizetype i = 0; i < editCommandIds().size(); ++i) {
        if (QAction* action = m_window.commandAction(editCommandIds()[i])) {
            action->setEnabled(states[i]);
        }
    }
}

void MessagesFeature::editCommand(const QString& id)
{
    QWidget* widget = fieldWidget(messages::editTarget(focusedField()));
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        if (id == QStringLiteral("ID_Undo")) {
            if (line->isUndoAvailable()) {
                line->undo();
            }
        } else if (id == QStringLiteral("ID_Cut")) {
            QGuiApplication::clipboard()->clear();
            line->cut();
        } else if (id == QStringLiteral("ID_Copy")) {
            line->copy();
        } else if (id == QStringLiteral("ID_Paste")) {
            line->paste();
        } else if (id == QStringLiteral("ID_Clear")) {
            line->del();
        } else if (id == QStringLiteral("ID_SelectAll")) {
            line->selectAll();
        }
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(widget)) {
        if (id == QStringLiteral("ID_Undo")) {
            if (text->document()->isUndoAvailable()) {
                text->undo();
            }
        } else if (id == QStringLiteral("ID_Cut")) {
            QGuiApplication::clipboard()->clear();
            text->cut();
        } else if (id == QStringLiteral("ID_Copy")) {
            text->copy();
        } else if (id == QStringLiteral("ID_Paste")) {
            text->paste();
        } else if (id == QStringLiteral("ID_Clear")) {
            text->textCursor().removeSelectedText();
        } else if (id == QStringLiteral("ID_SelectAll")) {
            text->selectAll();
        }
    }
    updateEditCommands();
}

void MessagesFeature::insertMacro(std::string_view macro)
{
    const QString text = fromStd(macro);
    if (messages::macroTarget(focusedField()) == messages::ComposerField::Subject) {
        m_composer->subjectEdit()->insert(text);
        m_composer->setTextChanged(true);
    } else {
        m_composer->bodyEdit()->insertPlainText(text);
    }
    updateEditCommands();
}

void MessagesFeature::insertTextFile()
{
    if (const auto text = messages::readChosenTextFile(*m_chooser)) {
        m_composer->bodyEdit()->insertPlainText(fromStd(messages::toEditorText(*text)));
    }
    updateEditCommands();
}

void MessagesFeature::setAttachmentPaths(std::vector<std::string> paths)
{
    m_attachmentPaths = std::move(paths);
    rebuildAttachmentList();
}

void MessagesFeature::rebuildAttachmentList()
{
    QListWidget* list = m_composer->attachmentList();
    list->clear();
    const auto entries = messages::rebuildAttachments(m_attachmentPaths);
    m_attachmentPaths.clear();
    for (const auto& entry : entries) {
        m_attachmentPaths.push_back(entry.path);
        auto* item = new QListWidgetItem(fileTypeIcon(QString::fromStdString(entry.path)),
                                         QString::fromStdString(entry.displayText), list);
        item->setData(Qt::UserRole, QString::fromStdString(entry.path));
        item->setToolTip(QString::fromStdString(entry.path));
    }
    if (list->count() > 0) {
        list->setCurrentRow(0);
    }
}

void MessagesFeature::attachFiles()
{
    AttachmentsDialog dialog(m_attachmentPaths, m_window.prompter(), &m_window);
    if (dialog.exec() == QDialog::Accepted) {
        m_attachmentPaths = dialog.paths();
        m_composer->setTextChanged(true);
    }
    rebuildAttachmentList();
    m_window.tabs()->setCurrentIndex(MainWindow::EditMessageTab);
}

void MessagesFeature::chooseHtmlFile()
{
    const QString path = fromStd(messages::chooseHtmlFileName(*m_chooser, m_window.settings()));
    if (path != m_composer->htmlFileEdit()->text()) {
        m_composer->htmlFileEdit()->setText(path);
        m_composer->setTextChanged(true);
    }
}

void MessagesFeature::chooseEditorFont()
{
    bool ok = false;
    QPlainTextEdit* body = m_composer->bodyEdit();
    const QFont font =
        QFontDialog::getFont(&ok, body->font(), &m_window, tr("Select the Editor Font you'd like to use."));
    if (!ok) {
        return;
    }
    body->setFont(font);
    QFont subjectFont = m_composer->subjectEdit()->font();
    subjectFont.setFamily(font.family());
    m_composer->subjectEdit()->setFont(subjectFont);
}

messages::MessageDocument MessagesFeature::currentDocument() const
{
    messages::MessageDocument document;
    document.attachments = m_attachmentPaths;
    QComboBox* group = m_composer->groupSelector();
    document.group = group->currentIndex() >= 0 ? group->currentText().toStdString() : std::string();
    document.subject = m_composer->subjectEdit()->text().toStdString();
    const int priority = m_composer->priorityBox()->currentIndex();
    document.priority = priority >= 0 ? priority : messages::kNormalPriority;
    document.htmlPath = m_composer->htmlFileEdit()->text().toStdString();
    document.body = messages::fromEditorText(m_composer->bodyEdit()->toPlainText().toStdString());
    return document;
}

void MessagesFeature::clearMessage()
{
    m_composer->clearMessage();
    m_attachmentPaths.clear();
    m_documentName.clear();
    m_window.setDocumentName({});
}

void MessagesFeature::loadDocument(const messages::MessageDocument& document)
{
    m_composer->clearMessage();
    // The document's list is kept as written; a file that is gone shows by its name alone.
    m_attachmentPaths = document.attachments;
    QListWidget* list = m_composer->attachmentList();
    for (const auto& path : document.attachments) {
        const QString qpath = QString::fromStdString(path);
        const QFileInfo info(qpath);
        QString shown = info.fileName();
        if (info.exists()) {
            shown += fromStd(messages::attachmentSizeText(static_cast<std::uintmax_t>(info.size())));
        }
        auto* item = new QListWidgetItem(fileTypeIcon(qpath), shown, list);
        item->setData(Qt::UserRole, qpath);
        item->setToolTip(qpath);
    }
    if (list->count() > 0) {
        list->setCurrentRow(0);
    }
    const int group = m_composer->groupSelector()->findText(fromStd(document.group), Qt::MatchExactly);
    if (group >= 0) {
        m_composer->groupSelector()->setCurrentIndex(group);
    }
    m_composer->subjectEdit()->setText(fromStd(document.subject));
    if (document.priority) {
        m_composer->priorityBox()->setCurrentIndex(*document.priority);
    }
    m_composer->htmlFileEdit()->setText(fromStd(document.htmlPath));
    m_composer->bodyEdit()->setPlainText(fromStd(messages::toEditorText(document.body)));
    m_composer->setTextChanged(false);
}

bool MessagesFeature::saveMessage()
{
    messages::DocumentState state{m_documentName, m_composer->isTextChanged()};
    const bool chosen =
        messages::saveDocument(currentDocument(), state, *m_chooser, m_window.settings(), m_window.prompter(), m_clock);
    m_documentName = state.documentName;
    m_composer->setTextChanged(state.textChanged);
    if (chosen) {
        // The name is kept without the extension that the file gets.
        QString name = QFileInfo(fromStd(m_documentName)).fileName();
        if (!name.endsWith(QStringLiteral(".tcx"), Qt::CaseInsensitive)) {
            name += QStringLiteral(".tcx");
        }
        m_window.setDocumentName(name);
    }
    return chosen;
}

void MessagesFeature::storeSentCopy(const std::string& group)
{
    messages::DocumentState state{m_documentName, m_composer->isTextChanged()};
    auto entry =
        messages::saveSentCopy(currentDocument(), group, m_window.paths().dataDir, state, m_window.prompter(), m_clock);
    m_documentName = state.documentName;
    m_composer->setTextChanged(state.textChanged);
    if (entry) {
        m_messageList->append(std::move(*entry));
    }
}

void MessagesFeature::newMessage()
{
    const auto choice = messages::askSaveFirst({m_documentName, m_composer->isTextChanged()}, m_window.prompter());
    if (choice == messages::SaveChoice::Stop) {
        return;
    }
    if (choice == messages::SaveChoice::SaveThenContinue) {
        saveMessage();
    }
    clearMessage();
    m_composer->setTextChanged(false);
    m_composer->groupSelector()->setFocus();
}

void MessagesFeature::openMessageFile()
{
    const auto choice = messages::askSaveFirst({m_documentName, m_composer->isTextChanged()}, m_window.prompter());
    if (choice == messages::SaveChoice::Stop) {
        return;
    }
    if (choice == messages::SaveChoice::SaveThenContinue) {
        saveMessage();
    }
    const auto path = messages::chooseMessageToOpen(*m_chooser, m_window.settings());
    if (!path) {
        return;
    }
    clearMessage();
    loadDocument(messages::loadMessageFile(*path));
    m_window.setDocumentName(QString::fromStdString(path->filename().string()));
    m_composer->setTextChanged(false);
    updateEditCommands();
}

void MessagesFeature::printMessage()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, &m_window);
    if (dialog.exec() == QDialog::Accepted) {
        printTo(printer);
    }
}

bool MessagesFeature::printTo(QPrinter& printer)
{
    return ui::printMessage(printer, currentDocument());
}

messages::SpellChecker* MessagesFeature::spellChecker()
{
    const auto& settings = m_window.settings();
    if (!m_checker) {
        auto opened = messages::SpellChecker::open(messages::resolveDictionary(settings.dictionary),
                                                   m_window.paths().dataDir / messages::kUserDictionaryName,
                                                   messages::SpellingOptions{});
        if (!opened) {
            m_window.prompter().message(opened.error().detail, Icon::Critical);
            return nullptr;
        }
        m_checker = std::move(opened.value());
    }
    m_checker->setOptions({settings.ignoreUpperCase, settings.ignoreMixedCase, settings.ignoreNumbers});
    return m_checker.get();
}

bool MessagesFeature::runSpellCheck(const SpellWalk& walk)
{
    messages::SpellChecker* checker = spellChecker();
    if (checker == nullptr) {
        return false;
    }
    QLineEdit* subjectEdit = m_composer->subjectEdit();
    QPlainTextEdit* bodyEdit = m_composer->bodyEdit();
    std::string subject = subjectEdit->text().toStdString();
    std::string body = messages::fromEditorText(bodyEdit->toPlainText().toStdString());

    SpellCheckDialog ownDialog(&m_window);
    // Shows the word in its field and keeps the dialog clear of it.
    ownDialog.setBeforeAsking([this](const messages::SpellQuery& query, QDialog& dialog) {
        const int start = editorPosition(query.text, query.span.start);
        const int length = static_cast<int>(fromStd(query.word).size());
        QRect around;
        if (query.field == messages::ComposerField::Subject) {
            QLineEdit* edit = m_composer->subjectEdit();
            edit->setText(fromStd(query.text));
            edit->setSelection(start, length);
            around = QRect(edit->mapToGlobal(QPoint(0, 0)), edit->size());
        } else {
            QPlainTextEdit* edit = m_composer->bodyEdit();
            const QString text = fromStd(messages::toEditorText(query.text));
            if (edit->toPlainText() != text) {
                QTextCursor all(edit->document());
                all.select(QTextCursor::Document);
                all.insertText(text);
            }
            QTextCursor cursor(edit->document());
            cursor.setPosition(start);
            cursor.setPosition(start + length, QTextCursor::KeepAnchor);
            edit->setTextCursor(cursor);
            edit->ensureCursorVisible();
            const QRect caret = edit->cursorRect(cursor);
            around = QRect(edit->viewport()->mapToGlobal(caret.topLeft()), caret.size());
        }
        dialog.adjustSize();
        QScreen* screen = m_window.screen();
        const QRect area = screen != nullptr ? screen->availableGeometry() : QRect();
        QPoint at(around.left(), around.bottom() + 8);
        if (area.isValid() && at.y() + dialog.height() > area.bottom()) {
            at.setY(around.top() - dialog.height() - 8);
        }
        if (area.isValid()) {
            at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - dialog.width())));
            at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - dialog.height())));
        }
        dialog.move(at);
    });
    messages::SpellingDialog& asker = m_spellingDialog != nullptr ? *m_spellingDialog : ownDialog;
    FieldShowingDialog dialog(
        asker, [this](messages::ComposerField field, std::string_view text) { showCheckedText(field, text); });

    walk(subject, body, *checker, dialog);

    showCheckedText(messages::ComposerField::Subject, subject);
    showCheckedText(messages::ComposerField::Body, body);
    return true;
}

void MessagesFeature::showCheckedText(messages::ComposerField field, std::string_view text)
{
    if (field == messages::ComposerField::Subject) {
        QLineEdit* subjectEdit = m_composer->subjectEdit();
        if (subjectEdit->text().toStdString() != text) {
            subjectEdit->setText(fromStd(text));
        }
        return;
    }
    QPlainTextEdit* bodyEdit = m_composer->bodyEdit();
    const QString bodyText = fromStd(messages::toEditorText(text));
    if (bodyEdit->toPlainText() != bodyText) {
        // One edit the person can undo, rather than a new document.
        QTextCursor all(bodyEdit->document());
        all.select(QTextCursor::Document);
        all.insertText(bodyText);
    }
}

void MessagesFeature::checkSpelling()
{
    m_spellState = messages::kCheckingSubject;
    runSpellCheck([this](std::string& subject, std::string& body, messages::SpellChecker& checker,
                         messages::SpellingDialog& dialog) {
        messages::checkMessageSpelling(subject, body, m_spellState, checker, dialog, m_window.prompter());
    });
}

bool MessagesFeature::checkSpellingBeforeSending()
{
    if (!m_window.settings().checkBeforeSending) {
        return true;
    }
    // Without a dictionary the check cannot run; that was reported and does not stop the mailing.
    bool send = true;
    runSpellCheck([this, &send](std::string& subject, std::string& body, messages::SpellChecker& checker,
                                messages::SpellingDialog& dialog) {
        send = messages::checkSpellingBeforeSending(subject, body, checker, dialog, m_window.prompter());
    });
    return send;
}

bool MessagesFeature::showServerSetup()
{
    ServerSetupDialog dialog(m_window.settings(), m_window.prompter(), &m_window);
    return dialog.exec() == QDialog::Accepted;
}

void MessagesFeature::showWelcome()
{
    WelcomeWizard::GroupActions actions;
    actions.groups = [this] {
        QStringList names;
        QComboBox* selector = m_composer->groupSelector();
        for (int i = 0; i < selector->count(); ++i) {
            names << selector->itemText(i);
        }
        return names;
    };
    actions.createGroup = [this] {
        const int before = m_composer->groupSelector()->count();
        m_window.groupSetup()->addGroupButton()->click();
        if (m_window.hooks().loadGroups) {
            m_window.hooks().loadGroups();
        }
        return m_composer->groupSelector()->count() != before;
    };
    actions.addRecipients = [this](const QString& group) {
        QTreeView* groups = m_window.groupSetup()->groupsView();
        if (QAbstractItemModel* model = groups->model()) {
            for (int row = 0; row < model->rowCount(); ++row) {
                if (model->index(row, 0).data().toString() == group) {
                    groups->setCurrentIndex(model->index(row, 0));
                    break;
                }
            }
        }
        m_window.groupSetup()->addRecipientButton()->click();
    };
    actions.importRecipients = [this] { m_window.dispatch(QStringLiteral("ID_Import")); };
    WelcomeWizard wizard(m_window.settings(), m_window.paths(), m_window.prompter(), std::move(actions), &m_window);
    wizard.exec();
}

void MessagesFeature::loadMessageList()
{
    m_messageList->setEntries(messages::loadSentCopies(m_window.paths().dataDir, m_clock));
}

void MessagesFeature::openSelectedMessage()
{
    QTreeView* view = m_window.history()->messagesView();
    view->setFocus();
    std::optional<std::size_t> selected;
    const auto rows = view->selectionModel()->selectedRows();
    if (!rows.isEmpty()) {
        selected = static_cast<std::size_t>(rows.front().row());
    }
    if (!messages::canOpenListEntry(static_cast<std::size_t>(m_messageList->rowCount()), selected,
                                    m_window.prompter())) {
        return;
    }
    switch (messages::askBeforeListOpen(m_composer->isTextChanged(), m_window.prompter())) {
    case messages::ListOpenChoice::Stop:
        return;
    case messages::ListOpenChoice::SaveThenOpen:
        saveMessage();
        break;
    case messages::ListOpenChoice::Open:
        break;
    }
    const auto path = m_messageList->entry(static_cast<int>(*selected)).path;
    clearMessage();
    if (!path.empty()) {
        loadDocument(messages::readMessageDocument(path));
    }
    m_composer->setTextChanged(false);
    m_window.tabs()->setCurrentIndex(MainWindow::EditMessageTab);
}

void MessagesFeature::deleteSelectedMessage()
{
    QTreeView* view = m_window.history()->messagesView();
    view->setFocus();
    std::optional<std::size_t> selected;
    const auto rows = view->selectionModel()->selectedRows();
    if (!rows.isEmpty()) {
        selected = static_cast<std::size_t>(rows.front().row());
    }
    if (messages::deleteSentCopy(m_messageList->entries(), selected, m_window.prompter())) {
        m_messageList->reset();
    }
}

} // namespace tidecast::ui
