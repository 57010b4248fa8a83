#pragma once

#include "common/Prompter.h"
#include "filters/FilterEditor.h"

#include <QDialog>

#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace tidecast::ui
{

// The modal filter dialog: builds one rule for the owner's list in the owner's context, refuses
// an empty value (except with "Equals") and a duplicate line, and appends the rule on OK. In
// modify mode it starts from the selected line and replaces it (the rule moves to the end).
class FilterDialog : public QDialog
{
    Q_OBJECT

public:
    // `exportFields` is the export window's field list (export context only).
    FilterDialog(filters::FilterContext context, filters::FilterList& list, Prompter& prompter,
                 QWidget* parent = nullptr, const std::vector<std::string>& exportFields = {});

    // Starts from the line at `index` and replaces it on OK.
    void setModifying(std::size_t index);

private:
    struct Criteria
    {
        QRadioButton* option;
        QComboBox* field;
        QComboBox* comparison;
        QLineEdit* value;
    };

    Criteria makeCriteria(const QString& role, const QString& optionText, const std::vector<std::string>& fields);
    void updateEnabled();
    void onOk();

    filters::FilterContext m_context;
    filters::FilterList& m_list;
    Prompter& m_prompter;
    std::optional<std::size_t> m_modifying;
    Criteria m_include{};
    Criteria m_ignore{};
    QCheckBox* m_caseSensitive;
};

} // namespace tidecast::ui
