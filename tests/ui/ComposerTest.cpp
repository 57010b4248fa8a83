#include "UiTestSupport.h"
#include "common/Text.h"
#include "messages/MessageDocument.h"
#include "settings/SettingsStore.h"
#include "support/ScriptedChooser.h"
#include "support/ScriptedPrompter.h"
#include "ui/ComposerWidget.h"
#include "ui/MainWindow.h"
#include "ui/MessageHistoryWidget.h"
#include "ui/MessageListModel.h"
#include "ui/MessagesFeature.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <deque>
#include <memory>

using namespace tidecast;
using namespace tidecast::ui;

namespace
{

// Clicks a button of the next modal dialog once it is up.
void clickInNextModal(const QString& buttonName)
{
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, buttonName] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            return;
        }
        if (auto* button = modal->findChild<QPushButton*>(buttonName)) {
            timer->stop();
            timer->deleteLater();
            button->click();
        }
    });
    timer->start();
}

QString pdfText(const QString& pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!process.waitForFinished(20000)) {
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

class ComposerTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedPrompter m_prompter;
    std::unique_ptr<MainWindow> m_window;
    MessagesFeature* m_feature = nullptr;
    ScriptedChooser* m_chooser = nullptr; // owned by the feature

    ComposerWidget* composer() const { return m_window->composer(); }
    std::filesystem::path dataDir() const { return (m_dir->path() + QStringLiteral("/data/")).toStdString(); }
    QAction* action(const char* id) const { return m_window->commandAction(QString::fromLatin1(id)); }

    QStringList enabledEditCommands() const
    {
        QStringList enabled;
        for (const char* id : {"ID_Undo", "ID_Cut", "ID_Copy", "ID_Paste", "ID_Clear", "ID_SelectAll"}) {
            if (action(id)->isEnabled()) {
                enabled << QString::fromLatin1(id);
            }
        }
        return enabled;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_prompter = ScriptedPrompter();
        m_window = std::make_unique<MainWindow>(uitest::pathsUnder(m_dir->path()), m_prompter);
        m_feature = installMessagesFeature(*m_window);
        auto chooser = std::make_unique<ScriptedChooser>();
        m_chooser = chooser.get();
        m_feature->setFileChooser(std::move(chooser));
        composer()->groupSelector()->addItems({QStringLiteral("Club"), QStringLiteral("Friends")});
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    void cleanup()
    {
        m_window->setDuplicateInstance(true); // nothing to write at close
        m_window.reset();
        m_dir.reset();
    }

    void macroGoesIntoTheFocusedSubjectOrReplacesTheBodySelection()
    {
        QLineEdit* subject = composer()->subjectEdit();
        QPlainTextEdit* body = composer()->bodyEdit();
        subject->setText(QStringLiteral("Dear "));
        body->setPlainText(QStringLiteral("Greetings from London today"));

        subject->setFocus();
        QTRY_VERIFY(subject->hasFocus());
        QTRY_VERIFY(subject->hasSelectedText()); // the subject selects everything on focus
        subject->end(false);
        m_window->dispatch(QStringLiteral("ID_FirstName"));
        QCOMPARE(subject->text(), QStringLiteral("Dear !*FIRST_NAME*!"));
        QCOMPARE(body->toPlainText(), QStringLiteral("Greetings from London today"));

        // The focus comes back to the subject from a menu or another window: the caret stays
        // where it was, so the next macro and the next key add to the subject instead of
        // replacing it.
        for (const auto reason : {Qt::PopupFocusReason, Qt::MenuBarFocusReason, Qt::ActiveWindowFocusReason}) {
            subject->setText(QStringLiteral("Dear "));
            subject->end(false);
            QFocusEvent back(QEvent::FocusIn, reason);
            QApplication::sendEvent(subject, &back);
            m_window->dispatch(QStringLiteral("ID_LastName"));
            QCoreApplication::processEvents();
            QTest::keyClicks(subject, QStringLiteral("!"));
            QCOMPARE(subject->text(), QStringLiteral("Dear !*LAST_NAME*!!"));
        }
        subject->setText(QStringLiteral("Dear !*FIRST_NAME*!"));

        QTextCursor cursor = body->textCursor();
        cursor.setPosition(15);
        cursor.setPosition(21, QTextCursor::KeepAnchor);
        body->setTextCursor(cursor);
        body->setFocus();
        QTRY_VERIFY(body->hasFocus());
        m_window->dispatch(QStringLiteral("ID_City"));
        QCOMPARE(body->toPlainText(), QStringLiteral("Greetings from !*CITY*! today"));

        // With the focus outside the text fields the macro goes to the body's caret.
        composer()->groupSelector()->setFocus();
        QTRY_VERIFY(composer()->groupSelector()->hasFocus());
        m_window->dispatch(QStringLiteral("ID_Field4"));
        QVERIFY(body->toPlainText().contains(QStringLiteral("!*ADDITIONAL_FIELD4*!")));
        QCOMPARE(subject->text(), QStringLiteral("Dear !*FIRST_NAME*!"));
    }

    void editCommandsFollowTheFocusedFieldAndTheTab()
    {
        QPlainTextEdit* body = composer()->bodyEdit();
        QApplication::clipboard()->clear();
        body->clear();
        body->setFocus();
        QTRY_VERIFY(body->hasFocus());
        m_feature->updateEditCommands();
        QCOMPARE(enabledEditCommands(), QStringList());

        QTest::keyClicks(body, QStringLiteral("some text"));
        body->selectAll();
        QApplication::clipboard()->setText(QStringLiteral("clip"));
        m_feature->updateEditCommands();
        QCOMPARE(enabledEditCommands(),
                 QStringLiteral("ID_Undo ID_Cut ID_Copy ID_Paste ID_Clear ID_SelectAll").split(QLatin1Char(' ')));

        // Cut empties the selection and the clipboard holds it; the commands follow.
        m_window->dispatch(QStringLiteral("ID_Cut"));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("some text"));
        QCOMPARE(enabledEditCommands(), QStringLiteral("ID_Undo ID_Paste").split(QLatin1Char(' ')));

        // Another tab turns all six off; coming back recomputes them.
        m_window->tabs()->setCurrentIndex(MainWindow::MessageHistoryTab);
        QCOMPARE(enabledEditCommands(), QStringList());
        m_window->tabs()->setCurrentIndex(MainWindow::EditMessageTab);
        QCOMPARE(enabledEditCommands(), QStringLiteral("ID_Undo ID_Paste").split(QLatin1Char(' ')));

        // The subject is judged on its own.
        composer()->subjectEdit()->setFocus();
        QTRY_VERIFY(composer()->subjectEdit()->hasFocus());
        m_feature->updateEditCommands();
        QCOMPARE(enabledEditCommands(), QStringLiteral("ID_Paste").split(QLatin1Char(' ')));
    }

    void textFilesAndTheHtmlFileGoWhereTheyShould()
    {
        const QString text = m_dir->path() + QStringLiteral("/insert.txt");
        QVERIFY(writeWholeFile(text.toStdString(), "first\r\nsecond"));
        QPlainTextEdit* body = composer()->bodyEdit();
        body->setPlainText(QStringLiteral("Before|After"));
        QTextCursor cursor = body->textCursor();
        cursor.setPosition(6);
        cursor.setPosition(7, QTextCursor::KeepAnchor);
        body->setTextCursor(cursor);
        m_chooser->answers.push_back(text.toStdString());
        m_window->dispatch(QStringLiteral("ID_TextfromaFile..."));
        QCOMPARE(body->toPlainText(), QStringLiteral("Beforefirst\nsecondAfter"));

        // The HTML file follows the dialog; cancelling it empties the path and marks the change.
        const QString page = m_dir->path() + QStringLiteral("/page.html");
        m_chooser->answers.push_back(page.toStdString());
        composer()->setTextChanged(false);
        m_window->dispatch(QStringLiteral("ID_AttachaHTMLMessageFile"));
        QCOMPARE(composer()->htmlFileEdit()->text(), page);
        QVERIFY(composer()->isTextChanged());
        QCOMPARE(m_window->settings().lastHtmlFolder, m_dir->path().toStdString());
        composer()->setTextChanged(false);
        m_window->dispatch(QStringLiteral("ID_AttachaHTMLMessageFile"));
        QCOMPARE(composer()->htmlFileEdit()->text(), QString());
        QVERIFY(composer()->isTextChanged());
    }

    void savesOpensAndListsSentCopies()
    {
        const QString file = m_dir->path() + QStringLiteral("/note.tcx");
        composer()->groupSelector()->setCurrentIndex(1);
        composer()->subjectEdit()->setText(QStringLiteral("Meeting"));
        composer()->bodyEdit()->setPlainText(QStringLiteral("Line one\nLine two"));
        composer()->priorityBox()->setCurrentIndex(0);
        const QString attachment = m_dir->path() + QStringLiteral("/agenda.txt");
        QVERIFY(writeWholeFile(attachment.toStdString(), std::string(1536, 'a')));
        m_feature->setAttachmentPaths({attachment.toStdString()});
        QCOMPARE(composer()->attachmentList()->item(0)->text(), QStringLiteral("agenda.txt  (1.5 KB)"));
        composer()->setTextChanged(true);
        QVERIFY(m_window->isWindowModified());
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Corvane Tidecast[*]"));

        m_chooser->answers.push_back(file.toStdString());
        m_window->dispatch(QStringLiteral("ID_Save"));
        QVERIFY(!composer()->isTextChanged());
        // The title names the document and no longer marks changes.
        QCOMPARE(m_window->windowTitle(), QStringLiteral("note.tcx[*] - Corvane Tidecast"));
        QVERIFY(!m_window->isWindowModified());
        QTest::keyClicks(composer()->subjectEdit(), QStringLiteral("!"));
        QVERIFY(m_window->isWindowModified());
        composer()->subjectEdit()->setText(QStringLiteral("Meeting"));
        QCOMPARE(m_feature->documentName(), (m_dir->path() + QStringLiteral("/note")).toStdString());
        const auto saved = messages::readMessageDocument(file.toStdString());
        QCOMPARE(saved.group, std::string("Friends"));
        QCOMPARE(saved.body, std::string("Line one\r\nLine two\r\n"));
        QCOMPARE(saved.priority, std::optional<int>(0));

        // The command line opens the document into a cleared composer.
        m_prompter.queue(Answer::No); // not saved first
        m_window->dispatch(QStringLiteral("ID_New"));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Corvane Tidecast[*]"));
        QCOMPARE(composer()->subjectEdit()->text(), QString());
        QCOMPARE(composer()->attachmentList()->count(), 0);
        composer()->groupSelector()->setCurrentIndex(0);
        m_window->openCommandLineDocument(file);
        QCOMPARE(composer()->subjectEdit()->text(), QStringLiteral("Meeting"));
        QCOMPARE(composer()->groupSelector()->currentText(), QStringLiteral("Friends"));
        QCOMPARE(composer()->priorityBox()->currentIndex(), 0);
        QCOMPARE(composer()->bodyEdit()->toPlainText(), QStringLiteral("Line one\nLine two\n"));
        QCOMPARE(m_feature->attachmentPaths(), std::vector<std::string>{attachment.toStdString()});
        QVERIFY(!composer()->isTextChanged());
        QCOMPARE(m_window->windowTitle(), QStringLiteral("note.tcx[*] - Corvane Tidecast"));

        // A sent copy joins the history list; Delete asks and removes it with its file.
        QAbstractItemModelTester tester(m_feature->messageList());
        m_feature->storeSentCopy("Club");
        QCOMPARE(m_feature->messageList()->rowCount(), 1);
        const auto sent = dataDir() / "Sent Messages" / "i000000000.tcm";
        QVERIFY(std::filesystem::exists(sent));
        QCOMPARE(m_feature->messageList()->index(0, MessageListModel::GroupColumn).data().toString(),
                 QStringLiteral("Club"));

        QTreeView* view = m_window->history()->messagesView();
        m_window->tabs()->setCurrentIndex(MainWindow::MessageHistoryTab);
        m_window->history()->deleteButton()->click();
        QCOMPARE(m_prompter.texts().back(), std::string("Please select a message to delete first."));
        view->setCurrentIndex(m_feature->messageList()->index(0, 0));
        m_prompter.queue(Answer::Yes);
        m_window->history()->deleteButton()->click();
        QCOMPARE(m_feature->messageList()->rowCount(), 0);
        QVERIFY(!std::filesystem::exists(sent));
        m_window->history()->openButton()->click();
        QCOMPARE(m_prompter.texts().back(), std::string("There are no messages to open."));
    }

    void printsHeaderWrappedBodyAndFooterToPdf()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
            QSKIP("pdftotext is not installed");
        }
        QString longLine;
        for (int i = 1; i <= 30; ++i) {
            longLine += QStringLiteral("w%1 ").arg(i, 2, 10, QLatin1Char('0'));
        }
        QString body = longLine + QStringLiteral("\n");
        for (int i = 0; i < 120; ++i) {
            body += QStringLiteral("row %1\n").arg(i);
        }
        composer()->groupSelector()->setCurrentIndex(0);
        composer()->subjectEdit()->setText(QStringLiteral("Fixtures"));
        composer()->bodyEdit()->setPlainText(body);

        const QString pdf = m_dir->path() + QStringLiteral("/message.pdf");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        QVERIFY(m_feature->printTo(printer));

        const QString text = pdfText(pdf);
        QVERIFY2(text.contains(QStringLiteral("To Group: Club")), qPrintable(text.left(400)));
        QVERIFY(text.contains(QStringLiteral("Subject: Fixtures")));
        // The 120-character line breaks after the blank that follows the 105th character.
        QStringList lines = text.split(QLatin1Char('\n'));
        for (auto& line : lines) {
            line = line.simplified();
        }
        const auto first = lines.indexOf(QRegularExpression(QStringLiteral("^w01 .*")));
        QVERIFY(first >= 0);
        QVERIFY2(lines[first].endsWith(QStringLiteral("w27")), qPrintable(lines[first]));
        QCOMPARE(lines[first + 1], QStringLiteral("w28 w29 w30"));
        QVERIFY(text.contains(QStringLiteral("row 119")));
        const QString footer = QStringLiteral("Fixtures -:- Corvane Tidecast %1.%2.%3 -:- Page ")
                                   .arg(TIDECAST_VERSION_MAJOR)
                                   .arg(TIDECAST_VERSION_MINOR)
                                   .arg(TIDECAST_VERSION_PATCH);
        QVERIFY2(text.contains(footer + QStringLiteral("1")), qPrintable(text.right(400)));
        QVERIFY(text.contains(footer + QStringLiteral("2")));
    }

    void editorFontIsTheOneInUseAndOkAloneKeepsIt()
    {
        struct Case
        {
            const char* name;
            const char* storedFace; // empty: none stored yet
        };
        const Case cases[] = {{"not installed", "No Such Face 123"}, {"never chosen", ""}};
        for (const auto& c : cases) {
            QTemporaryDir dir;
            const settings::SettingsPaths paths = uitest::pathsUnder(dir.path());
            settings::writeValue(paths.settingsFile(), "Startup", "Welcome", "-1");
            if (*c.storedFace != '\0') {
                settings::writeValue(paths.settingsFile(), "Editor Setup", "Font", c.storedFace);
                settings::writeValue(paths.settingsFile(), "Editor Setup", "Size", "13");
            }
            MainWindow window(paths, m_prompter);
            installMessagesFeature(window);
            window.start(QString());
            QPlainTextEdit* body = window.composer()->bodyEdit();
            const QFont before = body->font();
            QVERIFY2(before.family() == QFontInfo(before).family(), c.name);
            if (*c.storedFace == '\0') {
                const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
                QCOMPARE(before.family(), QFontInfo(fixed).family());
                QCOMPARE(before.pointSize(), fixed.pointSize());
            } else {
                QCOMPARE(before.pointSize(), 13);
            }

            uitest::whenModal<QFontDialog>([](QFontDialog* dialog) { dialog->accept(); });
            window.dispatch(QStringLiteral("ID_EditorFontSettings"));
            QVERIFY2(body->font().family() == before.family(), c.name);
            QCOMPARE(body->font().pointSize(), before.pointSize());
            window.setDuplicateInstance(true);
        }
    }

    void spellingFindsAMisspeltWordAndAddPutsItInTheUserDictionary()
    {
        composer()->subjectEdit()->setText(QStringLiteral("Good news"));
        composer()->bodyEdit()->setPlainText(QStringLiteral("The Tidecastz team"));
        clickInNextModal(QStringLiteral("addButton"));
        m_window->dispatch(QStringLiteral("ID_SpellCheck"));

        QCOMPARE(m_feature->spellCheckState(), int(messages::kCheckingBody));
        QCOMPARE(m_prompter.texts(), std::vector<std::string>{"Spell Checking has completed"});
        QCOMPARE(readWholeFile(dataDir() / "custom.dct"), std::string("Tidecastz\r\n"));
        QCOMPARE(composer()->bodyEdit()->toPlainText(), QStringLiteral("The Tidecastz team"));

        // The last correction is in the message by the time the check says it is done.
        m_prompter.clear();
        composer()->subjectEdit()->setText(QStringLiteral("Good nwes"));
        composer()->bodyEdit()->setPlainText(QStringLiteral("The big taem"));
        QStringList shownAtTheEnd;
        m_prompter.onMessage = [this, &shownAtTheEnd](std::string_view) {
            shownAtTheEnd << composer()->subjectEdit()->text() << composer()->bodyEdit()->toPlainText();
        };
        // Each word is corrected once its question is up.
        auto corrections =
            std::make_shared<std::deque<std::pair<QString, QString>>>(std::deque<std::pair<QString, QString>>{
                {QStringLiteral("nwes"), QStringLiteral("news")}, {QStringLiteral("taem"), QStringLiteral("team")}});
        auto* timer = new QTimer(m_window.get());
        timer->setInterval(20);
        QObject::connect(timer, &QTimer::timeout, [timer, corrections] {
            QWidget* modal = QApplication::activeModalWidget();
            if (corrections->empty() || modal == nullptr || modal->objectName() != QStringLiteral("spellCheckDialog") ||
                modal->findChild<QLineEdit*>(QStringLiteral("notFoundLineEdit"))->text() !=
                    corrections->front().first) {
                return;
            }
            modal->findChild<QLineEdit*>(QStringLiteral("changeToLineEdit"))->setText(corrections->front().second);
            corrections->pop_front();
            if (corrections->empty()) {
                timer->stop();
            }
            modal->findChild<QPushButton*>(QStringLiteral("changeButton"))->click();
        });
        timer->start();
        m_window->dispatch(QStringLiteral("ID_SpellCheck"));
        m_prompter.onMessage = nullptr;
        QCOMPARE(m_prompter.texts(), std::vector<std::string>{"Spell Checking has completed"});
        QCOMPARE(shownAtTheEnd, (QStringList{QStringLiteral("Good news"), QStringLiteral("The big team")}));

        // Cancelling on the subject skips the body and says nothing.
        m_prompter.clear();
        composer()->subjectEdit()->setText(QStringLiteral("Helo"));
        clickInNextModal(QStringLiteral("cancelButton"));
        m_window->dispatch(QStringLiteral("ID_SpellCheck"));
        QCOMPARE(m_feature->spellCheckState(), int(messages::kCheckCancelled));
        QVERIFY(m_prompter.log().empty());

        // Before sending: nothing unless the option is on; a cancelled check asks whether to send.
        QVERIFY(m_feature->checkSpellingBeforeSending());
        m_window->settings().checkBeforeSending = true;
        clickInNextModal(QStringLiteral("cancelButton"));
        m_prompter.queue(Answer::No);
        QVERIFY(!m_feature->checkSpellingBeforeSending());
        QCOMPARE(m_prompter.texts(),
                 std::vector<std::string>{
                     "The spell check on this message has been cancelled. Do you want to continue sending?"});
    }
};

QTEST_MAIN(ComposerTest)
#include "ComposerTest.moc"
