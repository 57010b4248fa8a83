#include "ui/FilterDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tidecast::ui
{

namespace
{

QString qs(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string utf8(const QString& text)
{
    return text.toStdString();
}

} // namespace

FilterDialog::FilterDialog(filters::FilterContext context, filters::FilterList& list, Prompter& prompter,
                           QWidget* parent, const std::vector<std::string>& exportFields)
    : QDialog(parent)
    , m_context(context)
    , m_list(list)
    , m_prompter(prompter)
{
    setObjectName(QStringLiteral("filterDialog"));
    setWindowTitle(qs(filters::filterDialogCaption(context)));
    setModal(true);

    auto fields = filters::filterFieldsOffered(context, exportFields);
    auto* layout = new QVBoxLayout(this);
    m_include = makeCriteria(QStringLiteral("include"), qs(filters::includeOptionText(context)), fields);
    m_ignore = makeCriteria(QStringLiteral("ignore"), qs(filters::kIgnoreOptionText), fields);
    for (const Criteria* criteria : {&m_include, &m_ignore}) {
        layout->addWidget(criteria->option);
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(tr("Where"), this));
        row->addWidget(criteria->field, 2);
        row->addWidget(criteria->comparison, 1);
        row->addWidget(criteria->value, 2);
        layout->addLayout(row);
    }
    m_include.option->setChecked(true);

    m_caseSensitive = new QCheckBox(tr("This filter is Case Sensitive"), this);
    m_caseSensitive->setObjectName(QStringLiteral("caseSensitiveCheckBox"));
    layout->addWidget(m_caseSensitive);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &FilterDialog::onOk);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_include.option, &QRadioButton::toggled, this, &FilterDialog::updateEnabled);
    updateEnabled();
}

FilterDialog::Criteria FilterDialog::makeCriteria(const QString& role, const QString& optionText,
                                                  const std::vector<std::string>& fields)
{
    Criteria criteria{new QRadioButton(optionText, this), new QComboBox(this), new QComboBox(this),
                      new QLineEdit(this)};
    criteria.option->setObjectName(role + QStringLiteral("RadioButton"));
    criteria.field->setObjectName(role + QStringLiteral("FieldComboBox"));
    criteria.comparison->setObjectName(role + QStringLiteral("ComparisonComboBox"));
    criteria.value->setObjectName(role + QStringLiteral("ValueLineEdit"));
    for (const auto& field : fields) {
        criteria.field->addItem(qs(field));
    }
    for (const auto& word : filters::filterComparisonWords()) {
        criteria.comparison->addItem(qs(word));
    }
    return criteria;
}

void FilterDialog::updateEnabled()
{
    bool include = m_include.option->isChecked();
    for (QWidget* widget : {static_cast<QWidget*>(m_include.field), static_cast<QWidget*>(m_include.comparison),
                            static_cast<QWidget*>(m_include.value)}) {
        widget->setEnabled(include);
    }
    for (QWidget* widget : {static_cast<QWidget*>(m_ignore.field), static_cast<QWidget*>(m_ignore.comparison),
                            static_cast<QWidget*>(m_ignore.value)}) {
        widget->setEnabled(!include);
    }
}

void FilterDialog::setModifying(std::size_t index)
{
    if (index >= m_list.size()) {
        return;
    }
    m_modifying = index;
    filters::FilterDraft draft = filters::draftFromRule(m_list[index]);
    const Criteria& criteria = draft.kind == filters::FilterKind::Ignore ? m_ignore : m_include;
    criteria.option->setChecked(true);
    criteria.field->setCurrentIndex(criteria.field->findText(qs(draft.field), Qt::MatchExactly));
    criteria.comparison->setCurrentIndex(criteria.comparison->findText(qs(draft.comparison), Qt::MatchExactly));
    criteria.value->setText(qs(draft.value));
    m_caseSensitive->setChecked(draft.caseSensitive);
}

void FilterDialog::onOk()
{
    bool ignore = m_ignore.option->isChecked();
    const Criteria& criteria = ignore ? m_ignore : m_include;
    filters::FilterDraft draft{ignore ? filters::FilterKind::Ignore : filters::FilterKind::Include,
                               utf8(criteria.field->currentText()), utf8(criteria.comparison->currentText()),
                               utf8(criteria.value->text()), m_caseSensitive->isChecked()};
    switch (filters::acceptFilterDraft(m_list, m_context, draft, m_modifying, m_prompter)) {
    case filters::FilterAcceptStatus::Accepted:
        accept();
        break;
    case filters::FilterAcceptStatus::ValueMissing:
        criteria.value->setFocus();
        break;
    case filters::FilterAcceptStatus::Duplicate:
        break;
    }
}

} // namespace tidecast::ui
