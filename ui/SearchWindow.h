#pragma once

#include "commands/GroupSetupCommands.h"
#include "commands/RecipientSearch.h"
#include "commands/RecipientTransfer.h"
#include "store/GroupStore.h"

#include <QDialog>
#include <QStringList>

#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;
class QTreeView;

namespace tidecast::ui
{

class CopyMoveDialog;
class RecipientDialog;
class SearchResultsModel;

// The search window: a group, a field, a comparison and a value; the recipients found, with
// their count above the list; modify, delete, copy, move, select all and export on the found
// rows, from the buttons or the list's right-click menu. The
// search runs on a worker thread, so a scan of a large group leaves the window responsive and
// the list fills as it goes. After a change to the results the search runs again silently and
// the window asks the main window to reload its lists when it closes.
class SearchWindow : public QDialog
{
    Q_OBJECT

public:
    // `groups` gives the group list, the data folder and a prompter that may be called from the
    // worker thread (QtPrompter is).
    SearchWindow(store::GroupStore& groups, const QString& startGroup, QWidget* parent = nullptr);
    ~SearchWindow() override;

    // Tests get the modal dialogs before they run.
    void setRecipientDialogHook(std::function<void(RecipientDialog&)> hook) { m_recipientHook = std::move(hook); }
    void setCopyMoveHook(std::function<void(CopyMoveDialog&)> hook) { m_copyMoveHook = std::move(hook); }
    // Opens the export window on "Search Results"; the file it reads exists while this runs.
    void setExportHandler(std::function<void()> handler) { m_exportHandler = std::move(handler); }
    // Opens the exclusion list window adding the handed address.
    void setExclusionHandler(std::function<void(const QString&)> handler) { m_exclusionHandler = std::move(handler); }

    bool isSearching() const { return m_worker.joinable(); }
    // Whether the main window must reload its group and recipient lists after the window closes.
    bool needsReload() const { return m_reload; }
    QString searchedGroup() const { return m_searched; }

    QComboBox* groupCombo() const { return m_group; }
    QComboBox* fieldCombo() const { return m_field; }
    QComboBox* comparisonCombo() const { return m_comparison; }
    QLineEdit* valueEdit() const { return m_value; }
    QPushButton* searchButton() const { return m_searchButton; }
    QGroupBox* resultsFrame() const { return m_frame; }
    QTreeView* resultsView() const { return m_view; }
    SearchResultsModel* resultsModel() const { return m_model; }

    void search();
    void modifyRecipient();
    void deleteRecipients();
    void copyRecipients() { transferRecipients(commands::TransferMode::Copy); }
    void moveRecipients() { transferRecipients(commands::TransferMode::Move); }
    void selectAll();
    // Writes the results again into "Search Results.gdb" in the data folder, hands it to the
    // export window and deletes it afterwards.
    void exportResults();
    void addToExclusionList();
    // The results' right-click menu, built afresh so its entries are enabled as the list stands.
    QMenu* buildResultsMenu();

signals:
    void searchFinished();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    // Runs the last search again without its messages, after the results changed.
    void repeatSearch();
    void startSearch(const commands::SearchCriteria& criteria);
    void takeFound();
    void finishSearch(commands::SearchResult result);
    void setResultButtonsEnabled(bool on);
    void transferRecipients(commands::TransferMode mode);
    QStringList selectedAddresses() const;
    void fillGroups();

    store::GroupStore& m_groups;
    commands::RecipientSearch m_search;
    commands::SearchCriteria m_criteria;
    QString m_searched;
    bool m_reload = false;
    bool m_closeWhenDone = false;

    std::mutex m_foundMutex;
    std::vector<commands::RecipientRow> m_found; // found by the worker, not yet in the list
    std::jthread m_worker;
    QTimer* m_fillTimer;

    QComboBox* m_group;
    QComboBox* m_field;
    QComboBox* m_comparison;
    QLineEdit* m_value;
    QPushButton* m_searchButton;
    QGroupBox* m_frame;
    QTreeView* m_view;
    SearchResultsModel* m_model;
    std::vector<QPushButton*> m_resultButtons;

    std::function<void(RecipientDialog&)> m_recipientHook;
    std::function<void(CopyMoveDialog&)> m_copyMoveHook;
    std::function<void()> m_exportHandler;
    std::function<void(const QString&)> m_exclusionHandler;
};

} // namespace tidecast::ui
