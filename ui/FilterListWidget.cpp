#include "ui/FilterListWidget.h"

#include "ui/FilterDialog.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tidecast::ui
{

namespace
{

QString qs(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

FilterListWidget::FilterListWidget(filters::FilterContext context, Features features, Prompter& prompter,
                                   QWidget* parent)
    : QWidget(parent)
    , m_context(context)
    , m_features(features)
    , m_prompter(prompter)
    , m_view(new QListWidget(this))
{
    m_view->setObjectName(QStringLiteral("filtersListWidget"));
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);

    auto* buttons = new QHBoxLayout;
    if (m_features.move) {
        connect(makeButton(QStringLiteral("moveDownButton"), tr("Move Down")), &QPushButton::clicked, this,
                &FilterListWidget::moveDown);
        connect(makeButton(QStringLiteral("moveUpButton"), tr("Move Up")), &QPushButton::clicked, this,
                &FilterListWidget::moveUp);
    }
    connect(makeButton(QStringLiteral("removeFilterButton"), tr("&Remove")), &QPushButton::clicked, this,
            &FilterListWidget::removeFilter);
    if (m_features.modify) {
        connect(makeButton(QStringLiteral("modifyFilterButton"), tr("Modify")), &QPushButton::clicked, this,
                &FilterListWidget::modifyFilter);
        connect(m_view, &QListWidget::itemDoubleClicked, this, &FilterListWidget::modifyFilter);
    }
    connect(makeButton(QStringLiteral("addFilterButton"), tr("&Add")), &QPushButton::clicked, this,
            &FilterListWidget::addFilter);
    if (m_features.file) {
        connect(makeButton(QStringLiteral("saveFiltersButton"), tr("Save")), &QPushButton::clicked, this,
                &FilterListWidget::saveFilters);
        connect(makeButton(QStringLiteral("openFiltersButton"), tr("Open")), &QPushButton::clicked, this,
                &FilterListWidget::openFilters);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    for (QPushButton* button : findChildren<QPushButton*>(Qt::FindDirectChildrenOnly)) {
        buttons->addWidget(button);
    }
    buttons->addStretch();
    layout->addLayout(buttons);
}

QPushButton* FilterListWidget::makeButton(const QString& name, const QString& text)
{
    auto* button = new QPushButton(text, this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

void FilterListWidget::setFileAccess(settings::Settings* settings, std::string dataFolder,
                                     messages::FileChooser* chooser)
{
    m_settings = settings;
    m_dataFolder = std::move(dataFolder);
    m_chooser = chooser;
}

void FilterListWidget::setFilters(filters::FilterList list)
{
    m_list = std::move(list);
    refresh(std::nullopt);
}

std::optional<std::size_t> FilterListWidget::selection() const
{
    int row = m_view->currentRow();
    if (row < 0 || !m_view->currentItem()->isSelected()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(row);
}

void FilterListWidget::refresh(std::optional<std::size_t> select)
{
    m_view->clear();
    for (const auto& line : m_list) {
        m_view->addItem(qs(line));
    }
    if (select && *select < m_list.size()) {
        m_view->setCurrentRow(static_cast<int>(*select));
    }
}

void FilterListWidget::addFilter()
{
    FilterDialog dialog(m_context, m_list, m_prompter, this, m_exportFields);
    if (dialog.exec() == QDialog::Accepted) {
        refresh(std::nullopt);
    }
}

void FilterListWidget::modifyFilter()
{
    auto selected = selection();
    if (!selected) {
        m_prompter.message(filters::kSelectFilterFirstMessage, Icon::Exclamation);
        return;
    }
    FilterDialog dialog(m_context, m_list, m_prompter, this, m_exportFields);
    dialog.setModifying(*selected);
    if (dialog.exec() == QDialog::Accepted) {
        refresh(std::nullopt);
    }
}

void FilterListWidget::removeFilter()
{
    if (filters::removeFilter(m_list, selection())) {
        refresh(std::nullopt);
    }
}

void FilterListWidget::moveUp()
{
    refresh(filters::moveFilterUp(m_list, selection()));
}

void FilterListWidget::moveDown()
{
    refresh(filters::moveFilterDown(m_list, selection()));
}

void FilterListWidget::saveFilters()
{
    if (!m_features.file || m_settings == nullptr || m_chooser == nullptr) {
        return;
    }
    if (!filters::canSaveFilterList(m_list, m_prompter)) {
        m_view->setFocus();
        return;
    }
    const auto& type = filters::filterFileType(*m_features.file);
    messages::FileDialogRequest request{
        {}, std::string(type.saveTypes), filters::filterStartFolder(*m_settings, *m_features.file, m_dataFolder), {}};
    auto chosen = m_chooser->saveFile(request);
    if (!chosen) {
        return;
    }
    if (!chosen->has_extension()) {
        chosen->replace_extension(type.extension);
    }
    (void)filters::saveFilterList(*m_features.file, m_list, *chosen, *m_settings, m_prompter);
}

void FilterListWidget::openFilters()
{
    if (!m_features.file || m_settings == nullptr || m_chooser == nullptr) {
        return;
    }
    const auto& type = filters::filterFileType(*m_features.file);
    for (;;) {
        messages::FileDialogRequest request{std::string(type.openTitle),
                                            std::string(type.openTypes),
                                            filters::filterStartFolder(*m_settings, *m_features.file, m_dataFolder),
                                            {}};
        auto chosen = m_chooser->openFile(request);
        if (!chosen) {
            return;
        }
        auto status = filters::loadFilterList(*m_features.file, *chosen, *m_settings, m_prompter, m_list);
        if (status != filters::FilterLoadStatus::Missing) {
            refresh(std::nullopt);
            return;
        }
    }
}

} // namespace tidecast::ui
