#include "ui/ExportDialog.h"

#include "store/RecipientRecord.h"
#include "transfer/ExportHistory.h"
#include "transfer/ExportTexts.h"
#include "ui/ExportProgressDialog.h"
#include "ui/FilterListWidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
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

template <typename Widget> Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

ExportDialog::ExportDialog(Setup setup, settings::Settings& settings, Prompter& prompter,
                           messages::FileChooser& chooser, QWidget* parent)
    : QDialog(parent)
    , m_setup(std::move(setup))
    , m_settings(settings)
    , m_prompter(prompter)
    , m_chooser(chooser)
    , m_sources(transfer::exportSourceChoices(m_setup.mode, m_setup.groups, m_setup.dataDir))
    , m_sourceBox(named(new QComboBox(this), "sourceComboBox"))
    , m_fieldList(named(new QListWidget(this), "fieldsListWidget"))
    , m_selectAllButton(named(new QPushButton(qs(transfer::text::kSelectAllFields), this), "selectAllButton"))
    , m_delimiterBox(named(new QComboBox(this), "delimiterComboBox"))
    , m_headerBox(named(new QCheckBox(qs(transfer::text::kHeaderBox), this), "headerCheckBox"))
    , m_byteOrderMarkBox(named(new QCheckBox(qs(transfer::text::kBomBox), this), "byteOrderMarkCheckBox"))
    , m_sortBox(named(new QCheckBox(qs(transfer::text::kSortLabel), this), "sortCheckBox"))
    , m_sortFieldBox(named(new QComboBox(this), "sortComboBox"))
    , m_outputEdit(named(new QLineEdit(this), "outputLineEdit"))
    , m_filters(new FilterListWidget(filters::FilterContext::Export, {}, prompter, this))
{
    setObjectName(QStringLiteral("exportDialog"));
    setWindowTitle(qs(transfer::text::kExportCaption));
    m_fieldList->setSelectionMode(QAbstractItemView::MultiSelection);
    for (const auto& name : transfer::delimiterNames()) {
        m_delimiterBox->addItem(QString::fromStdString(name));
    }
    m_sortFieldBox->setEnabled(false);

    auto* moveUp = named(new QPushButton(tr("Move &Up"), this), "moveUpButton");
    auto* moveDown = named(new QPushButton(tr("Move &Down"), this), "moveDownButton");
    auto* select = named(new QPushButton(tr("&Select"), this), "selectButton");
    auto* startButton = named(new QPushButton(tr("S&tart"), this), "startButton");
    auto* closeButton = named(new QPushButton(tr("&Close"), this), "closeButton");

    auto* grid = new QGridLayout;
    grid->addWidget(m_sourceBox, 0, 0, 1, 2);
    grid->addWidget(new QLabel(qs(transfer::text::kFieldsLabel), this), 1, 0, 1, 2);
    grid->addWidget(m_fieldList, 2, 0, 4, 1);
    grid->addWidget(m_selectAllButton, 2, 1);
    grid->addWidget(moveUp, 3, 1);
    grid->addWidget(moveDown, 4, 1);
    grid->addWidget(new QLabel(qs(transfer::text::kDelimiterLabel), this), 6, 0);
    grid->addWidget(m_delimiterBox, 6, 1);
    grid->addWidget(m_headerBox, 7, 0, 1, 2);
    grid->addWidget(m_byteOrderMarkBox, 8, 0, 1, 2);
    grid->addWidget(m_sortBox, 9, 0);
    grid->addWidget(m_sortFieldBox, 9, 1);
    grid->addWidget(new QLabel(qs(transfer::text::kFiltersLabel), this), 10, 0, 1, 2);
    grid->addWidget(m_filters, 11, 0, 1, 2);
    grid->addWidget(new QLabel(qs(transfer::text::kOutputLabel), this), 12, 0, 1, 2);
    grid->addWidget(m_outputEdit, 13, 0);
    grid->addWidget(select, 13, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(startButton);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(m_sourceBox, &QComboBox::currentIndexChanged, this, &ExportDialog::chooseSource);
    connect(m_selectAllButton, &QPushButton::clicked, this, &ExportDialog::toggleSelectAll);
    connect(moveUp, &QPushButton::clicked, this, &ExportDialog::moveFieldUp);
    connect(moveDown, &QPushButton::clicked, this, &ExportDialog::moveFieldDown);
    connect(m_sortBox, &QCheckBox::toggled, this, &ExportDialog::onSortToggled);
    connect(select, &QPushButton::clicked, this, &ExportDialog::selectOutputFile);
    connect(startButton, &QPushButton::clicked, this, &ExportDialog::start);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);

    int preselected = 0;
    for (std::size_t i = 0; i < m_sources.size(); ++i) {
        m_sourceBox->addItem(QString::fromStdString(m_sources[i].name));
        if (m_setup.mode == transfer::ExportMode::Groups && m_sources[i].name == m_setup.currentGroup) {
            preselected = static_cast<int>(i);
        }
    }
    m_sourceBox->setCurrentIndex(preselected);
    chooseSource(preselected);
}

const transfer::ExportSourceChoice& ExportDialog::source() const
{
    static const transfer::ExportSourceChoice kNone;
    const int index = m_sourceBox->currentIndex();
    return index >= 0 && static_cast<std::size_t>(index) < m_sources.size() ? m_sources[static_cast<std::size_t>(index)]
                                                                            : kNone;
}

void ExportDialog::fillFieldLists(transfer::ExportSource kind)
{
    m_fieldList->clear();
    for (const auto& label : transfer::exportFieldLabels(kind)) {
        m_fieldList->addItem(QString::fromStdString(label));
    }
    m_sortFieldBox->clear();
    for (const auto& label : transfer::exportSortLabels(kind)) {
        m_sortFieldBox->addItem(QString::fromStdString(label));
    }
    std::vector<std::string> filterFields;
    for (const auto& label : transfer::exportFieldLabels(kind)) {
        if (label != transfer::kFullNameLabel && label != store::kDateAddedLabel) {
            filterFields.push_back(label);
        }
    }
    m_filters->setExportFields(std::move(filterFields));
    m_selectAllButton->setText(qs(transfer::text::kSelectAllFields));
}

void ExportDialog::chooseSource(int index)
{
    if (index < 0) {
        return;
    }
    // The lists keep the person's choice while the kind of source stays the same.
    const auto kind = source().kind;
    if (kind != m_shownKind) {
        m_shownKind = kind;
        fillFieldLists(kind);
    }
    auto remembered = transfer::ExportHistory(m_setup.dataDir).lastOutput(source().name);
    m_outputEdit->setText(remembered ? QString::fromStdString(*remembered) : QString());
}

void ExportDialog::selectOutputFile()
{
    messages::FileDialogRequest request;
    request.title = "Save As";
    request.filter = std::string(transfer::text::kOutputFileTypes);
    request.startFolder = m_settings.lastExportFolder;
    request.defaultName = source().name + ".txt";
    const auto chosen = m_chooser.saveFile(request);
    if (!chosen) {
        return;
    }
    m_settings.lastExportFolder = chosen->parent_path().string();
    m_outputEdit->setText(QString::fromStdString(chosen->string()));
}

void ExportDialog::toggleSelectAll()
{
    const bool selectAll = m_selectAllButton->text() == qs(transfer::text::kSelectAllFields);
    if (selectAll) {
        m_fieldList->selectAll();
    } else {
        m_fieldList->clearSelection();
    }
    m_selectAllButton->setText(qs(selectAll ? transfer::text::kDeselectAllFields : transfer::text::kSelectAllFields));
}

void ExportDialog::moveField(int offset)
{
    const int row = m_fieldList->currentRow();
    const int target = row + offset;
    if (row < 0 || target < 0 || target >= m_fieldList->count()) {
        return;
    }
    QListWidgetItem* item = m_fieldList->item(row);
    const bool selected = item->isSelected();
    m_fieldList->takeItem(row);
    m_fieldList->insertItem(target, item);
    item->setSelected(selected);
    m_fieldList->setCurrentRow(target, QItemSelectionModel::NoUpdate);
}

void ExportDialog::moveFieldUp()
{
    moveField(-1);
}

void ExportDialog::moveFieldDown()
{
    moveField(1);
}

void ExportDialog::onSortToggled(bool on)
{
    if (on && !transfer::sortAvailable(m_settings.safeDelete, m_prompter)) {
        const QSignalBlocker blocker(m_sortBox);
        m_sortBox->setChecked(false);
        on = false;
    }
    m_sortFieldBox->setEnabled(on);
}

transfer::ExportRequest ExportDialog::request() const
{
    transfer::ExportRequest request;
    request.source = source().kind;
    request.sourceFile = source().file;
    request.output = m_outputEdit->text().trimmed().toStdString();
    for (int row = 0; row < m_fieldList->count(); ++row) {
        if (m_fieldList->item(row)->isSelected()) {
            request.fields.push_back(m_fieldList->item(row)->text().toStdString());
        }
    }
    request.delimiter = static_cast<transfer::ExportDelimiter>(m_delimiterBox->currentIndex());
    request.header = m_headerBox->isChecked();
    request.byteOrderMark = m_byteOrderMarkBox->isChecked();
    if (m_sortBox->isChecked()) {
        request.sortField = m_sortFieldBox->currentText().toStdString();
    }
    request.filterRules = m_filters->filters();
    return request;
}

void ExportDialog::start()
{
    const auto chosen = request();
    if (!transfer::beginExport(chosen, source().name, m_setup.dataDir, m_prompter)) {
        return;
    }
    ExportProgressDialog progress(chosen, QString::fromStdString(source().name), m_settings.safeDelete, m_prompter,
                                  this);
    if (m_progressHook) {
        m_progressHook(progress);
    } else {
        progress.exec();
    }
}

} // namespace tidecast::ui
