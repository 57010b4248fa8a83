#pragma once

#include "common/Prompter.h"
#include "messages/FileChooser.h"
#include "transfer/ExclusionList.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QLineEdit;
class QListWidget;
class QRadioButton;

namespace tidecast::ui
{

class FilterListWidget;
class ImportProgressDialog;

// "Exclusion list Import": the source (a file or the clipboard), the group the addresses are
// excluded from and the exclusion import's filters. "&Start Import" runs the import in its
// progress window over the list, which stays unchanged meanwhile; once the progress window has
// closed, the new entries go to `apply` and this window closes.
class ExclusionImportDialog : public QDialog
{
    Q_OBJECT

public:
    using Apply = std::function<void(std::vector<transfer::ExclusionEntry>)>;

    ExclusionImportDialog(const transfer::ExclusionList& list, const std::vector<std::string>& groupChoices,
                          Prompter& prompter, messages::FileChooser* chooser, Apply apply, QWidget* parent = nullptr);

    // Tests drive the progress window themselves; by default it runs modally.
    void setProgressHook(std::function<void(ImportProgressDialog&)> hook) { m_progressHook = std::move(hook); }

    void selectFile();
    void startImport();

private:
    const transfer::ExclusionList& m_list;
    Prompter& m_prompter;
    messages::FileChooser* m_chooser;
    Apply m_apply;
    std::function<void(ImportProgressDialog&)> m_progressHook;

    QRadioButton* m_fileRadio;
    QRadioButton* m_clipboardRadio;
    QLineEdit* m_pathEdit;
    QListWidget* m_groupList;
    FilterListWidget* m_filters;
};

} // namespace tidecast::ui
