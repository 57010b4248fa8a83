#pragma once

#include "transfer/ExclusionEditor.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QLineEdit;

namespace tidecast::ui
{

// "Exclude a Recipient": an address and the group it is excluded from ("All Groups" or a group
// with a file). OK hands both to the adder (the editor's checks, then the list) and closes; a
// failed check keeps the dialog open.
class ExcludeRecipientDialog : public QDialog
{
    Q_OBJECT

public:
    using Adder =
        std::function<transfer::ExclusionEditor::AddOutcome(const std::string& address, const std::string& group)>;

    ExcludeRecipientDialog(Adder adder, const std::vector<std::string>& groupChoices, const QString& address,
                           QWidget* parent = nullptr);

    QLineEdit* addressEdit() const { return m_addressEdit; }
    QComboBox* groupBox() const { return m_groupBox; }

    void accept() override;

private:
    Adder m_adder;
    QLineEdit* m_addressEdit;
    QComboBox* m_groupBox;
};

} // namespace tidecast::ui
