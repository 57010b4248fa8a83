#include "ui/ImportWizard.h"

#include "messages/FileChooser.h"
#include "settings/Settings.h"
#include "transfer/LayoutFile.h"
#include "ui/FilterListWidget.h"
#include "ui/ImportProgressDialog.h"
#include "ui/NumberOnlyFilter.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace tidecast::ui
{

namespace
{

using transfer::MatchUpField;

constexpr int kLinesExamined = 20;

// The labels of the match-up lists, where they differ from the field names.
QString matchUpLabel(MatchUpField field)
{
    switch (field) {
    case MatchUpField::Initial:
        return QStringLiteral("Inital:");
    case MatchUpField::Address1:
        return QStringLiteral("Address line 1:");
    case MatchUpField::Address2:
        return QStringLiteral("Address line 2:");
    default:
        break;
    }
    const auto name = transfer::matchUpFieldName(field);
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())) + QLatin1Char(':');
}

QString qs(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string utf8(const QString& text)
{
    return text.toUtf8().toStdString();
}

bool isNameList(MatchUpField field)
{
    return field == MatchUpField::Title || field == MatchUpField::FirstName || field == MatchUpField::Initial ||
           field == MatchUpField::LastName;
}

template <typename T> T* named(T* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

ImportWizard::ImportWizard(Services services, QWidget* parent)
    : QDialog(parent)
    , m_services(std::move(services))
    , m_pages(new QStackedWidget(this))
    , m_previousButton(named(new QPushButton(tr("<< &Previous"), this), "previousButton"))
    , m_nextButton(named(new QPushButton(tr("&Next >>"), this), "nextButton"))
    , m_cancelButton(named(new QPushButton(tr("&Cancel"), this), "cancelButton"))
{
    setWindowTitle(tr("Group Importer"));
    setModal(true);
    m_pages->addWidget(makeSourcePage());
    m_pages->addWidget(makeOptionsPage());
    m_pages->addWidget(makeMatchUpPage());
    m_pages->addWidget(makeFiltersPage());
    m_pages->addWidget(makeDestinationPage());
    m_pages->addWidget(makeStartPage());

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_previousButton);
    buttons->addWidget(m_nextButton);
    buttons->addWidget(m_cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addLayout(buttons);

    connect(m_previousButton, &QPushButton::clicked, this, &ImportWizard::previous);
    connect(m_nextButton, &QPushButton::clicked, this, &ImportWizard::next);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    showPage(SourcePage);
}

ImportWizard::~ImportWizard() = default;

QWidget* ImportWizard::makePage(const char* title, const char* subtitle, QVBoxLayout*& body)
{
    auto* page = new QWidget(this);
    body = new QVBoxLayout(page);
    auto* heading = new QLabel(QStringLiteral("<b>%1</b>").arg(QString::fromLatin1(title)), page);
    body->addWidget(heading);
    body->addWidget(new QLabel(QString::fromLatin1(subtitle), page));
    return page;
}

QWidget* ImportWizard::makeSourcePage()
{
    QVBoxLayout* body = nullptr;
    auto* page = makePage("Input Selection",
                          "Select the data source which you wish to extract recipient information from.", body);
    m_fileRadio = named(new QRadioButton(tr("Import recipient data from a file:"), page), "fileRadio");
    m_pathEdit = named(new QLineEdit(page), "pathEdit");
    auto* select = named(new QPushButton(tr("&Select ..."), page), "selectFileButton");
    m_clipboardRadio =
        named(new QRadioButton(tr("Import recipient data from the Windows clipboard"), page), "clipboardRadio");
    m_fileRadio->setChecked(true);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(m_pathEdit);
    pathRow->addWidget(select);
    body->addWidget(m_fileRadio);
    body->addLayout(pathRow);
    body->addWidget(m_clipboardRadio);
    body->addStretch();
    connect(select, &QPushButton::clicked, this, &ImportWizard::chooseFile);
    return page;
}

QWidget* ImportWizard::makeOptionsPage()
{
    QVBoxLayout* body = nullptr;
    auto* page = makePage("Import options",
                          "Specify the layout of the Import data which you wish to extract information from.", body);
    m_delimitedRadio = named(new QRadioButton(tr("Delimited Text format"), page), "delimitedRadio");
    m_otherRadio = named(new QRadioButton(tr("All other File/Data formats"), page), "otherFormatsRadio");
    m_delimitedRadio->setChecked(true);
    m_delimiterCombo = named(new QComboBox(page), "delimiterCombo");
    for (const auto delimiter : transfer::kDelimiters) {
        m_delimiterCombo->addItem(qs(transfer::delimiterName(delimiter)));
    }
    m_countEdit = named(new QLineEdit(QStringLiteral("1"), page), "fieldCountEdit");
    NumberOnlyFilter::install(m_countEdit, m_services.prompter);
    auto* up = named(new QToolButton(page), "countUpButton");
    up->setArrowType(Qt::UpArrow);
    auto* down = named(new QToolButton(page), "countDownButton");
    down->setArrowType(Qt::DownArrow);
    m_oneNameCheck =
        named(new QCheckBox(tr("Recipient name information is contained in one field."), page), "oneNameFieldCheck");
    m_noDuplicatesCheck =
        named(new QCheckBox(tr("Do Not check for Duplicates     *This is Not Recommended"), page), "noDuplicatesCheck");

    auto* countRow = new QHBoxLayout;
    countRow->addWidget(new QLabel(tr("Each line in the import data contains"), page));
    countRow->addWidget(m_countEdit);
    countRow->addWidget(up);
    countRow->addWidget(down);
    countRow->addWidget(new QLabel(tr("fields"), page));
    countRow->addStretch();
    body->addWidget(m_delimitedRadio);
    body->addWidget(m_delimiterCombo);
    body->addLayout(countRow);
    body->addWidget(m_oneNameCheck);
    body->addWidget(m_otherRadio);
    body->addWidget(
        new QLabel(tr("This option will only extract the email addresses from the selected import data source"), page));
    body->addWidget(m_noDuplicatesCheck);
    body->addStretch();
    connect(up, &QToolButton::clicked, this, [this] { stepCount(1); });
    connect(down, &QToolButton::clicked, this, [this] { stepCount(-1); });
    return page;
}

QWidget* ImportWizard::makeMatchUpPage()
{
    QVBoxLayout* body = nullptr;
    auto* page = makePage("Import Field Match Up", "Match Up all the fields with their Tidecast equivalent.", body);
    body->addWidget(
        new QLabel(tr("Match the layout of the import data with the layout of a Tidecast database:"), page));
    auto* form = new QFormLayout;
    for (std::size_t i = 0; i < transfer::kMatchUpFields; ++i) {
        auto* list = new QComboBox(page);
        list->setObjectName(QStringLiteral("matchUpCombo%1").arg(i));
        m_matchUp[i] = list;
        form->addRow(matchUpLabel(static_cast<MatchUpField>(i)), list);
    }
    body->addLayout(form);
    auto* save = named(new QPushButton(tr("Sa&ve Layout"), page), "saveLayoutButton");
    auto* open = named(new QPushButton(tr("&Open previously saved Layout"), page), "openLayoutButton");
    auto* row = new QHBoxLayout;
    row->addWidget(save);
    row->addWidget(open);
    row->addStretch();
    body->addLayout(row);
    connect(save, &QPushButton::clicked, this, &ImportWizard::saveLayout);
    connect(open, &QPushButton::clicked, this, &ImportWizard::openLayout);
    rebuildMatchUp(1);
    return page;
}

QWidget* ImportWizard::makeFiltersPage()
{
    auto* page =
        makePage("Choose Filters", "Filter out un-wanted addresses from the selected import data.", m_filtersBody);
    m_filtersBody->addWidget(new QLabel(qs(filters::kFiltersInSequenceNote), page));
    return page;
}

QWidget* ImportWizard::makeDestinationPage()
{
    QVBoxLayout* body = nullptr;
    auto* page = makePage("Select Destination", "Select or create the destination group.", body);
    m_groupList = named(new QListWidget(page), "groupList");
    auto* create = named(new QPushButton(tr("C&reate a New Group"), page), "createGroupButton");
    body->addWidget(m_groupList);
    body->addWidget(create, 0, Qt::AlignLeft);
    connect(create, &QPushButton::clicked, this, [this] {
        if (m_services.createGroup) {
            m_services.createGroup();
        }
        reloadGroups();
    });
    return page;
}

QWidget* ImportWizard::makeStartPage()
{
    QVBoxLayout* body = nullptr;
    auto* page =
        makePage("Start Importing", "Import the recipient information from the selected Import data now!", body);
    auto* start = named(new QPushButton(tr("S&tart"), page), "startButton");
    m_importMoreLabel = named(new QLabel(qs(transfer::kImportMoreText), page), "importMoreLabel");
    m_importMoreLabel->setWordWrap(true);
    m_importMoreLabel->hide();
    body->addWidget(start, 0, Qt::AlignLeft);
    body->addWidget(m_importMoreLabel);
    body->addStretch();
    connect(start, &QPushButton::clicked, this, &ImportWizard::startImport);
    return page;
}

int ImportWizard::currentPage() const
{
    return m_pages->currentIndex();
}

void ImportWizard::showPage(int page)
{
    m_pages->setCurrentIndex(page);
    m_previousButton->setEnabled(page > SourcePage);
    m_nextButton->setEnabled(page < StartPage);
    if (page == SourcePage) {
        m_cancelButton->setText(tr("&Cancel"));
    }
}

void ImportWizard::next()
{
    const int page = currentPage();
    if (page >= StartPage || !leavePage(page)) {
        return;
    }
    int target = page + 1;
    if (target == MatchUpPage && m_otherRadio->isChecked()) {
        target = FiltersPage;
    }
    switch (target) {
    case OptionsPage:
        enterOptions();
        break;
    case MatchUpPage:
        enterMatchUp();
        break;
    case FiltersPage:
        enterFilters();
        break;
    case DestinationPage:
        reloadGroups();
        break;
    default:
        break;
    }
    showPage(target);
}

void ImportWizard::previous()
{
    int target = currentPage() - 1;
    if (target == MatchUpPage && m_otherRadio->isChecked()) {
        target = OptionsPage;
    }
    if (target >= SourcePage) {
        showPage(target);
    }
}

bool ImportWizard::leavePage(int page)
{
    switch (page) {
    case SourcePage:
        return transfer::checkImportSource(source(), m_services.prompter);
    case MatchUpPage:
        return transfer::checkMatchUp(request().mapping, m_services.prompter);
    case DestinationPage: {
        const auto* item = m_groupList->currentItem();
        return transfer::checkDestination(item ? utf8(item->text()) : std::string(), m_services.prompter);
    }
    default:
        return true;
    }
}

transfer::ImportSource ImportWizard::source() const
{
    transfer::ImportSource source;
    if (m_clipboardRadio->isChecked()) {
        source.clipboard = utf8(QGuiApplication::clipboard()->text());
    } else {
        source.file = std::filesystem::path(utf8(m_pathEdit->text()));
    }
    return source;
}

int ImportWizard::typedCount() const
{
    return static_cast<int>(transfer::leadingNumber(utf8(m_countEdit->text())));
}

void ImportWizard::chooseFile()
{
    messages::FileDialogRequest dialog;
    dialog.title = std::string(transfer::kSelectInputTitle);
    dialog.filter = std::string(transfer::kInputFileTypes);
    dialog.startFolder = m_services.settings.lastImportFolder;
    const auto chosen = m_services.chooser.openFile(dialog);
    if (!chosen) {
        return;
    }
    m_services.settings.lastImportFolder = chosen->parent_path().string();
    m_pathEdit->setText(QString::fromStdString(chosen->string()));
    m_fileRadio->setChecked(true);
}

void ImportWizard::enterOptions()
{
    m_firstLines = transfer::firstDataLines(source(), kLinesExamined);
    const auto guess = transfer::guessLayout(m_firstLines.empty() ? std::string_view() : m_firstLines.front());
    (guess.delimited ? m_delimitedRadio : m_otherRadio)->setChecked(true);
    if (guess.delimiter) {
        m_delimiterCombo->setCurrentIndex(static_cast<int>(*guess.delimiter));
        m_countEdit->setText(QString::number(guess.fieldCount));
    }
}

void ImportWizard::stepCount(int delta)
{
    m_countEdit->setText(QString::number(transfer::clampFieldCount(typedCount() + delta)));
}

void ImportWizard::enterMatchUp()
{
    const int count = transfer::clampFieldCount(typedCount());
    m_countEdit->setText(QString::number(count));
    if (count != m_builtCount || m_oneNameCheck->isChecked() != m_builtOneName) {
        rebuildMatchUp(count);
        const auto delimiter = transfer::kDelimiters[static_cast<std::size_t>(m_delimiterCombo->currentIndex())];
        const int address = transfer::guessAddressField(m_firstLines, delimiter, count);
        m_matchUp[static_cast<std::size_t>(MatchUpField::EmailAddress)]->setCurrentIndex(address);
    }
    enableNameLists();
}

void ImportWizard::rebuildMatchUp(int count)
{
    const auto delimiter = transfer::kDelimiters[static_cast<std::size_t>(m_delimiterCombo->currentIndex())];
    const auto entries =
        transfer::matchUpEntries(m_firstLines.empty() ? std::string_view() : m_firstLines.front(), delimiter, count);
    QStringList items;
    for (const auto& entry : entries) {
        items.append(qs(entry));
    }
    for (auto* list : m_matchUp) {
        list->clear();
        list->addItems(items);
        list->setCurrentIndex(0);
    }
    m_builtCount = count;
    m_builtOneName = m_oneNameCheck->isChecked();
}

void ImportWizard::enableNameLists()
{
    const bool oneName = m_oneNameCheck->isChecked();
    for (std::size_t i = 0; i < transfer::kMatchUpFields; ++i) {
        const auto field = static_cast<MatchUpField>(i);
        if (field == MatchUpField::FullNameMacro) {
            m_matchUp[i]->setEnabled(oneName);
        } else if (isNameList(field)) {
            m_matchUp[i]->setEnabled(!oneName);
        }
    }
}

void ImportWizard::enterFilters()
{
    // The rules a filter may use depend on the layout: rebuild the list when it changed, keeping
    // its lines.
    const auto layout = m_otherRadio->isChecked() ? transfer::ImportLayout::Harvest : transfer::ImportLayout::Delimited;
    const bool oneName = layout == transfer::ImportLayout::Delimited && m_oneNameCheck->isChecked();
    const auto context = layout == transfer::ImportLayout::Harvest ? filters::FilterContext::ImportHarvest
                         : oneName                                 ? filters::FilterContext::ImportOneNameField
                                                                   : filters::FilterContext::Import;
    filters::FilterList kept;
    if (m_filters) {
        kept = m_filters->filters();
        delete m_filters;
    }
    m_filters = new FilterListWidget(context, {true, true, filters::FilterFileKind::Import}, m_services.prompter,
                                     m_pages->widget(FiltersPage));
    m_filters->setObjectName(QStringLiteral("filterList"));
    m_filters->setFileAccess(&m_services.settings, m_services.dataFolder.string(), &m_services.chooser);
    m_filters->setFilters(std::move(kept));
    m_filtersBody->insertWidget(2, m_filters);
    m_filtersLayout = layout;
}

void ImportWizard::reloadGroups()
{
    const auto current = m_groupList->currentItem() ? m_groupList->currentItem()->text() : QString();
    m_groupList->clear();
    for (const auto& name : m_services.listGroups()) {
        m_groupList->addItem(qs(name));
    }
    const auto found = m_groupList->findItems(current, Qt::MatchExactly);
    if (!current.isEmpty() && !found.isEmpty()) {
        m_groupList->setCurrentItem(found.front());
    }
}

transfer::ImportRequest ImportWizard::request() const
{
    transfer::ImportRequest request;
    const auto input = source();
    request.file = input.file;
    request.clipboard = input.clipboard;
    request.layout = m_otherRadio->isChecked() ? transfer::ImportLayout::Harvest : transfer::ImportLayout::Delimited;
    request.delimiter = transfer::kDelimiters[static_cast<std::size_t>(m_delimiterCombo->currentIndex())];
    request.mapping.fieldCount = transfer::clampFieldCount(typedCount());
    request.mapping.oneNameField = m_oneNameCheck->isChecked();
    for (std::size_t i = 0; i < transfer::kMatchUpFields; ++i) {
        request.mapping.sources[i] = std::max(0, m_matchUp[i]->currentIndex());
    }
    // A disabled list does not take part.
    for (std::size_t i = 0; i < transfer::kMatchUpFields; ++i) {
        if (!m_matchUp[i]->isEnabled()) {
            request.mapping.sources[i] = 0;
        }
    }
    request.checkDuplicates = !m_noDuplicatesCheck->isChecked();
    if (const auto* item = m_groupList->currentItem()) {
        request.groupName = utf8(item->text());
        request.groupPath = m_services.groupPath(request.groupName);
    }
    if (m_filters) {
        request.filters = m_filters->filters();
    }
    request.dataFolder = m_services.dataFolder;
    return request;
}

void ImportWizard::startImport()
{
    ImportProgressDialog progress(request(), m_services.prompter, this);
    if (m_progressHook) {
        m_progressHook(progress);
    }
    progress.exec();
    m_importMoreLabel->show();
    m_cancelButton->setText(tr("&Close"));
}

void ImportWizard::saveLayout()
{
    messages::FileDialogRequest dialog;
    dialog.filter = std::string(transfer::kLayoutFileTypes);
    dialog.startFolder = m_services.settings.lastImportLayoutFolder;
    auto chosen = m_services.chooser.saveFile(dialog);
    if (!chosen) {
        return;
    }
    if (!chosen->has_extension()) {
        chosen->replace_extension(transfer::kLayoutExtension);
    }
    m_services.settings.lastImportLayoutFolder = (chosen->parent_path() / "").string();
    transfer::ImportLayoutFile layout;
    layout.fieldCount = utf8(m_countEdit->text());
    for (std::size_t i = 0; i < transfer::kMatchUpFields; ++i) {
        layout.positions[i] = std::max(0, m_matchUp[i]->currentIndex());
    }
    (void)transfer::saveLayout(*chosen, layout, m_services.prompter);
}

void ImportWizard::openLayout()
{
    messages::FileDialogRequest dialog;
    dialog.title = std::string(transfer::kOpenLayoutTitle);
    dialog.filter = std::string(transfer::kLayoutFileTypes);
    dialog.startFolder = m_services.settings.lastImportLayoutFolder;
    std::optional<std::filesystem::path> chosen;
    while (true) {
        chosen = m_services.chooser.openFile(dialog);
        if (!chosen) {
            return;
        }
        std::error_code error;
        if (std::filesystem::is_regular_file(*chosen, error)) {
            break;
        }
    }
    m_services.settings.lastImportLayoutFolder = (chosen->parent_path() / "").string();
    const auto loaded = transfer::loadLayoutFile(*chosen, typedCount(), m_services.prompter);
    if (!loaded) {
        return;
    }
    const int count = transfer::clampFieldCount(loaded->fieldCount);
    m_countEdit->setText(QString::number(loaded->fieldCount));
    if (count != m_builtCount) {
        rebuildMatchUp(count);
    }
    // A position beyond the list's entries leaves that list at "(blank)".
    for (std::size_t i = 0; i < transfer::kMatchUpFields; ++i) {
        const int position = loaded->positions[i];
        m_matchUp[i]->setCurrentIndex(position >= 0 && position < m_matchUp[i]->count() ? position : 0);
    }
}

} // namespace tidecast::ui
