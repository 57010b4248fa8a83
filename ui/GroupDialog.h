#pragma once

#include "store/GroupStore.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

namespace tidecast::ui
{

// The group dialog: the group's name and, unless it uses the default identity, its own sender
// identity and signature. With an empty original name it adds a group ("Add New Group"), else it
// renames and updates that group ("Modify Group Name"). OK runs the store's checks and saves;
// the dialog is accepted only when the group was written. The opener runs the command's steps
// before and after (GroupStore::beginAddGroup / finishAddGroup and the modify pair), so the
// welcome wizard can use the dialog as the main window does.
class GroupDialog : public QDialog
{
    Q_OBJECT

public:
    GroupDialog(store::GroupStore& groups, const QString& originalName, QWidget* parent = nullptr);

    QString groupName() const;

    QLineEdit* nameEdit() const { return m_name; }
    QCheckBox* defaultIdentityCheck() const { return m_useDefault; }
    QLineEdit* senderNameEdit() const { return m_senderName; }
    QLineEdit* senderEmailEdit() const { return m_senderEmail; }
    QLineEdit* organisationEdit() const { return m_organisation; }
    QLineEdit* replyToEdit() const { return m_replyTo; }
    QPlainTextEdit* signatureEdit() const { return m_signature; }

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateIdentityFields();
    store::GroupDetails details() const;

    store::GroupStore& m_groups;
    QString m_originalName;
    QLineEdit* m_name;
    QCheckBox* m_useDefault;
    QLineEdit* m_senderName;
    QLineEdit* m_senderEmail;
    QLineEdit* m_organisation;
    QLineEdit* m_replyTo;
    QPlainTextEdit* m_signature;
};

} // namespace tidecast::ui
