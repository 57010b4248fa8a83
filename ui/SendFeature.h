#pragma once

#include "mailing/SendCommand.h"
#include "mailing/SendResults.h"

#include <QObject>

#include <functional>
#include <memory>

namespace tidecast::messages
{
class FileChooser;
}

namespace tidecast::ui
{

class GroupSetupFeature;
class MainWindow;
class MessagesFeature;
class SendPreviewDialog;
class SendProgressDialog;
class SendOptionsDialog;

// The main window's Send command: the preparation steps, the send options dialog (with its
// preview), the send dialog with its results, and the sent copy after a successful mailing.
// Installed once on the window, which owns it.
class SendFeature : public QObject
{
    Q_OBJECT

public:
    SendFeature(MainWindow& window, MessagesFeature& messages, GroupSetupFeature& groups);
    ~SendFeature() override;

    void startSending();

    // Tests drive the modal dialogs: each is handed over before it runs.
    void setOptionsDialogHook(std::function<void(SendOptionsDialog&)> hook) { m_optionsHook = std::move(hook); }
    void setSendDialogHook(std::function<void(SendProgressDialog&)> hook) { m_sendHook = std::move(hook); }
    void setPreviewHook(std::function<void(SendPreviewDialog&)> hook) { m_previewHook = std::move(hook); }

private:
    MainWindow& m_window;
    MessagesFeature& m_messages;
    GroupSetupFeature& m_groups;
    std::unique_ptr<messages::FileChooser> m_chooser;
    std::function<void(SendOptionsDialog&)> m_optionsHook;
    std::function<void(SendProgressDialog&)> m_sendHook;
    std::function<void(SendPreviewDialog&)> m_previewHook;
};

SendFeature* installSendFeature(MainWindow& window, MessagesFeature& messages, GroupSetupFeature& groups);

} // namespace tidecast::ui
