#pragma once

#include "common/Prompter.h"
#include "transfer/ImportEngine.h"
#include "transfer/ImportSetup.h"

#include <QDialog>

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QVBoxLayout;

namespace tidecast::messages
{
class FileChooser;
}
namespace tidecast::settings
{
struct Settings;
}

namespace tidecast::ui
{

class FilterListWidget;
class ImportProgressDialog;

// The import wizard ("Group Importer"): source, layout, match-up, filters and destination,
// walked with "Next >>" and "<< Previous", and a last page that runs the import in its progress
// window. It only gathers a transfer::ImportRequest; the checks and texts come from the core.
class ImportWizard : public QDialog
{
    Q_OBJECT

public:
    enum Page
    {
        SourcePage = 0,
        OptionsPage = 1,
        MatchUpPage = 2,
        FiltersPage = 3,
        DestinationPage = 4,
        StartPage = 5,
    };

    // What the wizard needs from the program around it.
    struct Services
    {
        Prompter& prompter;
        settings::Settings& settings;
        std::filesystem::path dataFolder;
        messages::FileChooser& chooser;
        std::function<std::vector<std::string>()> listGroups; // the groups whose file exists
        std::function<std::filesystem::path(const std::string&)> groupPath;
        std::function<void()> createGroup; // the group dialog
    };

    explicit ImportWizard(Services services, QWidget* parent = nullptr);
    ~ImportWizard() override;

    int currentPage() const;
    void next();
    void previous();
    void startImport();
    void saveLayout();
    void openLayout();

    // The request the pages describe now.
    transfer::ImportRequest request() const;

    // Tests see the progress window before it runs.
    void setProgressHook(std::function<void(ImportProgressDialog&)> hook) { m_progressHook = std::move(hook); }

private:
    QWidget* makeSourcePage();
    QWidget* makeOptionsPage();
    QWidget* makeMatchUpPage();
    QWidget* makeFiltersPage();
    QWidget* makeDestinationPage();
    QWidget* makeStartPage();
    QWidget* makePage(const char* title, const char* subtitle, QVBoxLayout*& body);

    void showPage(int page);
    bool leavePage(int page);
    void enterOptions();
    void enterMatchUp();
    void enterFilters();
    void reloadGroups();
    void chooseFile();
    void stepCount(int delta);
    void rebuildMatchUp(int count);
    void enableNameLists();

    transfer::ImportSource source() const;
    int typedCount() const;

    Services m_services;
    std::function<void(ImportProgressDialog&)> m_progressHook;
    std::vector<std::string> m_firstLines;
    int m_builtCount = -1;
    bool m_builtOneName = false;
    std::optional<transfer::ImportLayout> m_filtersLayout;

    QStackedWidget* m_pages;
    QPushButton* m_previousButton;
    QPushButton* m_nextButton;
    QPushButton* m_cancelButton;
    QRadioButton* m_fileRadio;
    QRadioButton* m_clipboardRadio;
    QLineEdit* m_pathEdit;
    QRadioButton* m_delimitedRadio;
    QRadioButton* m_otherRadio;
    QComboBox* m_delimiterCombo;
    QLineEdit* m_countEdit;
    QCheckBox* m_oneNameCheck;
    QCheckBox* m_noDuplicatesCheck;
    std::array<QComboBox*, transfer::kMatchUpFields> m_matchUp{};
    QVBoxLayout* m_filtersBody = nullptr;
    FilterListWidget* m_filters = nullptr;
    QListWidget* m_groupList;
    QLabel* m_importMoreLabel;
};

} // namespace tidecast::ui
