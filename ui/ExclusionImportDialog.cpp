#include "ui/ExclusionImportDialog.h"

#include "transfer/ExclusionImport.h"
#include "transfer/ExclusionTexts.h"
#include "ui/FilterListWidget.h"
#include "ui/ImportProgressDialog.h"

#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
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
    return text.toUtf8().toStdString();
}

template <typename T> T* named(T* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

ExclusionImportDialog::ExclusionImportDialog(const transfer::ExclusionList& list,
                                             const std::vector<std::string>& groupChoices, Prompter& prompter,
                                             messages::FileChooser* chooser, Apply apply, QWidget* parent)
    : QDialog(parent)
    , m_list(list)
    , m_prompter(prompter)
    , m_chooser(chooser)
    , m_apply(std::move(apply))
    , m_fileRadio(named(new QRadioButton(qs(transfer::text::kImportFromFile), this), "fileRadio"))
    , m_clipboardRadio(named(new QRadioButton(qs(transfer::text::kImportFromClipboard), this), "clipboardRadio"))
    , m_pathEdit(named(new QLineEdit(this), "pathLineEdit"))
    , m_groupList(named(new QListWidget(this), "groupList"))
    , m_filters(
          named(new FilterListWidget(filters::FilterContext::ExclusionImport, {}, prompter, this), "filterListWidget"))
{
    setObjectName(QStringLiteral("exclusionImportDialog"));
    setWindowTitle(qs(transfer::text::kImportCaption));
    m_fileRadio->setChecked(true);
    for (const auto& group : groupChoices) {
        m_groupList->addItem(QString::fromStdString(group));
    }
    m_groupList->setCurrentRow(0);

    auto* selectButton = named(new QPushButton(tr("&Select"), this), "selectButton");
    auto* startButton = named(new QPushButton(tr("&Start Import"), this), "startButton");
    auto* closeButton = named(new QPushButton(tr("&Close"), this), "closeButton");
    selectButton->setAutoDefault(false);
    closeButton->setAutoDefault(false);
    connect(selectButton, &QPushButton::clicked, this, &ExclusionImportDialog::selectFile);
    connect(startButton, &QPushButton::clicked, this, &ExclusionImportDialog::startImport);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_fileRadio, &QRadioButton::toggled, m_pathEdit, &QWidget::setEnabled);
    connect(m_fileRadio, &QRadioButton::toggled, selectButton, &QWidget::setEnabled);

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(m_pathEdit, 1);
    pathRow->addWidget(selectButton);
    auto* sourceBox = new QGroupBox(this);
    auto* sourceLayout = new QVBoxLayout(sourceBox);
    sourceLayout->addWidget(m_fileRadio);
    sourceLayout->addLayout(pathRow);
    sourceLayout->addWidget(m_clipboardRadio);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(startButton);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sourceBox);
    layout->addWidget(new QLabel(qs(transfer::text::kImportGroupLabel), this));
    layout->addWidget(m_groupList);
    layout->addWidget(new QLabel(qs(transfer::text::kImportFiltersLabel), this));
    layout->addWidget(m_filters);
    layout->addLayout(buttons);
}

void ExclusionImportDialog::selectFile()
{
    if (m_chooser == nullptr) {
        return;
    }
    const auto chosen =
        m_chooser->openFile({std::string(transfer::kSelectInputTitle), std::string(transfer::kInputFileTypes), {}, {}});
    if (chosen) {
        m_pathEdit->setText(QString::fromStdString(chosen->string()));
    }
}

void ExclusionImportDialog::startImport()
{
    transfer::ExclusionImportRequest request;
    if (m_clipboardRadio->isChecked()) {
        request.source.clipboard = utf8(QGuiApplication::clipboard()->text());
    } else {
        request.source.file = utf8(m_pathEdit->text());
    }
    if (auto* group = m_groupList->currentItem(); group != nullptr) {
        request.group = utf8(group->text());
    }
    request.filters = m_filters->filters();
    if (!transfer::checkExclusionImportStart(request, m_prompter)) {
        return;
    }
    ImportProgressDialog progress(std::move(request), m_list, m_prompter, this);
    if (m_progressHook) {
        m_progressHook(progress);
    } else {
        progress.exec();
    }
    if (progress.isRunning()) {
        return; // the window went before the import ended, which then added nothing
    }
    if (progress.summary().refused) {
        return;
    }
    if (!progress.addedExclusions().empty()) {
        m_apply(progress.addedExclusions());
    }
    accept();
}

} // namespace tidecast::ui
