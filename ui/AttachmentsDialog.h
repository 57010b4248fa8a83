#pragma once

#include "common/Prompter.h"
#include "messages/Attachments.h"

#include <QDialog>

class QFileSystemModel;
class QListWidget;
class QPushButton;
class QTreeView;

namespace tidecast::ui
{

// The attachments dialog: a folder tree and the files of the chosen folder for browsing, and the
// working list of attachments with Add, Remove and Clear. OK hands the working list back. It
// opens on the folder it showed last during this run.
class AttachmentsDialog : public QDialog
{
    Q_OBJECT

public:
    AttachmentsDialog(std::vector<std::string> paths, Prompter& prompter, QWidget* parent = nullptr);
    ~AttachmentsDialog() override;

    const std::vector<std::string>& paths() const { return m_list.paths(); }
    QString currentFolder() const { return m_folder; }
    void setCurrentFolder(const QString& folder);

    QListWidget* fileList() const { return m_files; }
    QListWidget* workingList() const { return m_working; }
    QPushButton* addButton() const { return m_add; }
    QPushButton* removeButton() const { return m_remove; }
    QPushButton* clearButton() const { return m_clear; }

private:
    void addSelected();
    void removeSelected();
    void refreshWorkingList();
    void updateButtons();

    messages::AttachmentWorkingList m_list;
    Prompter& m_prompter;
    QString m_folder;
    QFileSystemModel* m_folders;
    QTreeView* m_tree;
    QListWidget* m_files;
    QListWidget* m_working;
    QPushButton* m_add;
    QPushButton* m_remove;
    QPushButton* m_clear;
};

} // namespace tidecast::ui
