#include "ui/SendFeature.h"

#include "mailing/Mailing.h"
#include "outgoing/MessageMerge.h"
#include "store/GroupStore.h"
#include "ui/ComposerWidget.h"
#include "ui/GroupSetupFeature.h"
#include "ui/MainWindow.h"
#include "ui/MessagesFeature.h"
#include "ui/QtFileChooser.h"
#include "ui/SendOptionsDialog.h"
#include "ui/SendPreviewDialog.h"
#include "ui/SendProgressDialog.h"

#include <QComboBox>
#include <QDate>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace tidecast::ui
{

namespace
{

class WindowHost final : public mailing::SendCommandHost
{
public:
    WindowHost(MainWindow& window, MessagesFeature& messages)
        : m_window(window)
        , m_messages(messages)
    {}

    void closeDatabases() override
    {
        if (m_window.hooks().closeOpenDatabase) {
            m_window.hooks().closeOpenDatabase();
        }
    }
    mailing::SpellCheckOutcome checkSpellingBeforeSending() override
    {
        // The composer's check asks its own question when the person cancels it.
        if (m_messages.checkSpellingBeforeSending()) {
            return mailing::SpellCheckOutcome::Completed;
        }
        return mailing::SpellCheckOutcome::StopSending;
    }
    void openServerSetup() override { m_messages.showServerSetup(); }
    void openIdentitySetup() override { m_window.dispatch(QStringLiteral("ID_IdentificationSettings")); }
    void setFocus(mailing::SendFocus focus) override
    {
        auto* composer = m_window.composer();
        switch (focus) {
        case mailing::SendFocus::GroupSelector:
            composer->groupSelector()->setFocus();
            break;
        case mailing::SendFocus::MessageText:
            composer->bodyEdit()->setFocus();
            break;
        case mailing::SendFocus::Subject:
            composer->subjectEdit()->setFocus();
            break;
        case mailing::SendFocus::None:
            break;
        }
    }

private:
    MainWindow& m_window;
    MessagesFeature& m_messages;
};

std::chrono::year_month_day today()
{
    const QDate date = QDate::currentDate();
    return std::chrono::year{date.year()} / date.month() / date.day();
}

} // namespace

SendFeature::SendFeature(MainWindow& window, MessagesFeature& messages, GroupSetupFeature& groups)
    : QObject(&window)
    , m_window(window)
    , m_messages(messages)
    , m_groups(groups)
    , m_chooser(std::make_unique<QtFileChooser>(&window))
{
    setObjectName(QStringLiteral("sendFeature"));
    window.hooks().send = [this] { startSending(); };
    window.registerCommand(QStringLiteral("ID_Send"), [this] { startSending(); });
}

SendFeature::~SendFeature() = default;

void SendFeature::startSending()
{
    auto* composer = m_window.composer();
    if (composer == nullptr) {
        return;
    }
    std::vector<std::string> groups;
    for (const auto& row : m_groups.groups().rows()) {
        groups.push_back(row.name);
    }
    const auto document = m_messages.currentDocument();
    const outgoing::ComposedMessage message = mailing::composedMessage(document);
    const std::string selected =
        composer->groupSelector()->currentIndex() >= 0 ? composer->groupSelector()->currentText().toStdString() : "";

    WindowHost host(m_window, m_messages);
    auto& prompter = m_window.prompter();
    auto prepared =
        mailing::prepareSend(m_window.settings(), m_window.paths().dataDir, groups, selected, message, host, prompter);
    if (!prepared) {
        return;
    }

    mailing::SendOptions options = prepared->options;
    settings::Settings mailingSettings = prepared->settings;
    {
        SendOptionsDialog dialog(options, mailingSettings, m_window.paths(), prompter, *m_chooser,
                                 {groups, message.body, message.htmlPath, prepared->identity, today(), message.subject},
                                 &m_window);
        dialog.setSetupHandler([this, &mailingSettings] {
            const bool cancelled = !m_messages.showServerSetup();
            if (!cancelled) {
                mailingSettings = m_window.settings();
            }
            return cancelled;
        });
        dialog.setPreviewHandler([this, &message, &mailingSettings](const mailing::SendOptions& chosen) {
            SendPreviewDialog preview(mailing::outgoingMessage(message, chosen), chosen.groupName,
                                      outgoing::MessageMerge::wrapWidth(mailingSettings), m_window.paths().dataDir,
                                      mailingSettings, m_window.prompter(), &m_window);
            if (m_previewHook) {
                m_previewHook(preview);
            }
            preview.exec();
        });
        if (m_optionsHook) {
            m_optionsHook(dialog);
        }
        if (dialog.exec() != QDialog::Accepted) {
            return;
        }
    }

    host.closeDatabases();
    mailing::MailingSetup setup{mailingSettings, options, message, m_window.paths().dataDir,
                                m_window.paths().settingsFile()};
    bool success = false;
    {
        SendProgressDialog dialog(std::move(setup), prompter, &m_window);
        if (m_sendHook) {
            m_sendHook(dialog);
        }
        success = dialog.exec() == QDialog::Accepted;
    }
    if (success) {
        m_messages.storeSentCopy(options.groupName);
    }
    host.closeDatabases();
}

SendFeature* installSendFeature(MainWindow& window, MessagesFeature& messages, GroupSetupFeature& groups)
{
    return new SendFeature(window, messages, groups);
}

} // namespace tidecast::ui
