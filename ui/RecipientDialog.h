#pragma once

#include "commands/GroupSetupCommands.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>

class QComboBox;
class QLineEdit;

namespace tidecast::ui
{

// The recipient dialog: the twenty fields of a recipient. OK runs the list's checks (address,
// exclusion question) and writes through saveRecipient in the list's edit mode; the dialog is
// accepted when the record was written, rejected when the exclusion question was answered No.
// Double-clicking an additional field picks a custom attachment for that recipient. The opener
// sets the list's edit mode and group first (GroupSetupCommands::beginAddRecipient or
// beginModifyRecipient), so the welcome wizard can use the dialog as the main window does.
class RecipientDialog : public QDialog
{
    Q_OBJECT

public:
    // Shows a file chooser with this title starting in this folder; an empty result is a cancel.
    using AttachmentChooser = std::function<QString(const QString& title, const QString& folder)>;

    RecipientDialog(commands::GroupSetupCommands& list, const QString& title,
                    const std::optional<store::RecipientRecord>& initial = std::nullopt, QWidget* parent = nullptr);

    void setAttachmentChooser(AttachmentChooser chooser) { m_chooser = std::move(chooser); }
    // The folder the next custom-attachment chooser starts in (the last one chosen).
    static QString lastAttachmentFolder();

    QComboBox* titleCombo() const { return m_title; }
    QLineEdit* fieldEdit(store::RecipientField field) const;
    store::RecipientRecord record() const;

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void chooseAttachment(QLineEdit* field);

    commands::GroupSetupCommands& m_list;
    QComboBox* m_title;
    std::array<QLineEdit*, store::kRecipientTextFields> m_edits{};
    AttachmentChooser m_chooser;
};

} // namespace tidecast::ui
