#pragma once

#include "common/Prompter.h"
#include "mailing/SendOptionsForm.h"
#include "messages/FileChooser.h"

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace tidecast::ui
{

class FilterListWidget;

// "Prepare to Send ...": the send options of one mailing on six tabs. Send validates the entries,
// fills the SendOptions and accepts the dialog (its opener then starts the mailing); Cancel
// rejects it, which the opener reads as "CANCEL". The rules themselves live in
// SendOptionsForm; this class only moves values between the widgets and the form.
class SendOptionsDialog : public QDialog
{
    Q_OBJECT

public:
    // `settings` gives the configured server and default folders; Setup edits it.
    SendOptionsDialog(mailing::SendOptions& options, settings::Settings& settings, settings::SettingsPaths paths,
                      Prompter& prompter, messages::FileChooser& chooser, mailing::SendOptionsOpening opening,
                      QWidget* parent = nullptr);

    // Replaces the server set-up dialog that Setup opens on `settings`; returns true when it was
    // cancelled.
    void setSetupHandler(std::function<bool()> handler) { m_setupHandler = std::move(handler); }
    // Opens the preview with the SendOptions just written.
    void setPreviewHandler(std::function<void(const mailing::SendOptions&)> handler)
    {
        m_previewHandler = std::move(handler);
    }

    const mailing::SendOptions& options() const { return m_form.options(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildGeneralTab();
    QWidget* buildServerTab();
    QWidget* buildAttachmentsTab();
    QWidget* buildFiltersTab();
    QWidget* buildPartialTab();
    QWidget* buildBlockFileTab();

    void readWidgets();
    void showEntries();
    void updateModeWidgets();
    void updatePartialWidgets();
    void onBulkClicked();
    void onPersonalClicked();
    void onGroupActivated(int index);
    void onChooseBlockFile();
    void onSetup();
    void onPreview();
    void onSend();
    void showRefusal(const mailing::SendOptionsCheck& check);

    mailing::SendOptionsForm m_form;
    settings::Settings& m_settings;
    settings::SettingsPaths m_paths;
    Prompter& m_prompter;
    messages::FileChooser& m_chooser;
    std::function<bool()> m_setupHandler;
    std::function<void(const mailing::SendOptions&)> m_previewHandler;

    QTabWidget* m_tabs;
    QComboBox* m_group;
    QLabel* m_size;
    QRadioButton* m_personal;
    QRadioButton* m_bulk;
    QLabel* m_personalNote;
    QLabel* m_toLabel;
    QLineEdit* m_to;
    QCheckBox* m_dsn;
    QLineEdit* m_name;
    QLineEdit* m_from;
    QLineEdit* m_organisation;
    QLineEdit* m_replyTo;
    QPlainTextEdit* m_signature;
    QLineEdit* m_server;
    QCheckBox* m_sendAttachments;
    std::array<QCheckBox*, 4> m_attachFields{};
    QCheckBox* m_after;
    QDateEdit* m_afterDate;
    QCheckBox* m_before;
    QDateEdit* m_beforeDate;
    FilterListWidget* m_filters;
    QCheckBox* m_partial;
    QLabel* m_startLabel;
    QLineEdit* m_start;
    QLabel* m_endLabel;
    QLineEdit* m_end;
    QLineEdit* m_blockFile;
};

} // namespace tidecast::ui
