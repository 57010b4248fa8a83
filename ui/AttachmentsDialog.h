#pragma once

#include "common/Prompter.h"
#include "messages/Attachments.h"

#include <QDialog>
#include <QStringList>

#include <functional>

class QListWidget;
class QPushButton;

namespace tidecast::ui
{

// The attachments dialog: the working list of attachments with Add, Remove and Clear. Add picks
// files with the desktop's standard file dialog, which opens on the folder files were last picked
// from during this run. OK hands the working list back.
class AttachmentsDialog : public QDialog
{
    Q_OBJECT

public:
    AttachmentsDialog(std::vector<std::string> paths, Prompter& prompter, QWidget* parent = nullptr);
    ~AttachmentsDialog() override;

    // Asks for the files to add, starting in the given folder; empty when nothing was chosen.
    using FilePicker = std::function<QStringList(QWidget* parent, const QString& folder)>;

    const std::vector<std::string>& paths() const { return m_list.paths(); }
    QString currentFolder() const { return m_folder; }
    void setFilePicker(FilePicker picker) { m_pickFiles = std::move(picker); }

    QListWidget* workingList() const { return m_working; }
    QPushButton* addButton() const { return m_add; }
    QPushButton* removeButton() const { return m_remove; }
    QPushButton* clearButton() const { return m_clear; }

private:
    void addChosenFiles();
    void removeSelected();
    void refreshWorkingList();
    void updateButtons();

    messages::AttachmentWorkingList m_list;
    Prompter& m_prompter;
    QString m_folder;
    FilePicker m_pickFiles;
    QListWidget* m_working;
    QPushButton* m_add;
    QPushButton* m_remove;
    QPushButton* m_clear;
};

} // namespace tidecast::ui
