#pragma once

#include "commands/RecipientTransfer.h"
#include "store/GroupStore.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace tidecast::ui
{

// How the copy-and-move dialog ended.
enum class CopyMoveResult
{
    Cancel, // closed without work
    Error,  // the source group was invalid
    Done,
};

// The copy-and-move dialog: the recipients to transfer with their count, the destination group
// (a new one can be added from here), the box that overwrites existing destination recipients
// without asking, and the Copy or Move button that runs the transfer.
class CopyMoveDialog : public QDialog
{
    Q_OBJECT

public:
    CopyMoveDialog(store::GroupStore& groups, commands::TransferMode mode, const QString& sourceGroup,
                   const QStringList& addresses, QWidget* parent = nullptr);

    CopyMoveResult outcome() const { return m_result; }

    QListWidget* recipientsList() const { return m_recipients; }
    QComboBox* destinationCombo() const { return m_destination; }
    QCheckBox* overwriteCheck() const { return m_overwrite; }
    QPushButton* runButton() const { return m_run; }

    void accept() override;

private:
    void fillGroups(const QString& select);
    void addGroup();

    store::GroupStore& m_groups;
    commands::TransferMode m_mode;
    QString m_source;
    QStringList m_addresses;
    CopyMoveResult m_result = CopyMoveResult::Cancel;
    QListWidget* m_recipients;
    QComboBox* m_destination;
    QCheckBox* m_overwrite;
    QPushButton* m_run;
};

} // namespace tidecast::ui
