#pragma once

#include "common/Prompter.h"
#include "filters/FilterEditor.h"
#include "filters/FilterFile.h"
#include "messages/FileChooser.h"
#include "settings/Settings.h"

#include <QWidget>

#include <optional>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;

namespace tidecast::ui
{

// A dialog's filter list with its buttons: add (and, where the list allows it, modify by button
// or double-click, move up and down, save and open a filter file) and remove. Owns the list the
// dialog hands to its evaluator; the list starts empty.
class FilterListWidget : public QWidget
{
    Q_OBJECT

public:
    struct Features
    {
        bool move = false;                           // move up / move down
        bool modify = false;                         // the import wizard's list only
        std::optional<filters::FilterFileKind> file; // save and open
    };

    FilterListWidget(filters::FilterContext context, Features features, Prompter& prompter, QWidget* parent = nullptr);

    // Needed for save and open: the settings holding the last folder, the data folder used when
    // none is remembered, and the file dialogs.
    void setFileAccess(settings::Settings* settings, std::string dataFolder, messages::FileChooser* chooser);
    // The export window's field list (export context only).
    void setExportFields(std::vector<std::string> fields) { m_exportFields = std::move(fields); }

    const filters::FilterList& filters() const { return m_list; }
    void setFilters(filters::FilterList list);
    std::optional<std::size_t> selection() const;

    void addFilter();
    void modifyFilter();
    void removeFilter();
    void moveUp();
    void moveDown();
    void saveFilters();
    void openFilters();

private:
    QPushButton* makeButton(const QString& name, const QString& text);
    void refresh(std::optional<std::size_t> select);

    filters::FilterContext m_context;
    Features m_features;
    Prompter& m_prompter;
    settings::Settings* m_settings = nullptr;
    std::string m_dataFolder;
    messages::FileChooser* m_chooser = nullptr;
    std::vector<std::string> m_exportFields;
    filters::FilterList m_list;
    QListWidget* m_view;
};

} // namespace tidecast::ui
