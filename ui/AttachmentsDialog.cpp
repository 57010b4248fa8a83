#include "ui/AttachmentsDialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace tidecast::ui
{

namespace
{

// The folder the dialog showed when it last closed, for the rest of the run.
QString& lastFolder()
{
    static QString folder = QDir::homePath();
    return folder;
}

} // namespace

AttachmentsDialog::AttachmentsDialog(std::vector<std::string> paths, Prompter& prompter, QWidget* parent)
    : QDialog(parent)
    , m_list(std::move(paths))
    , m_prompter(prompter)
    , m_folders(new QFileSystemModel(this))
    , m_tree(new QTreeView(this))
    , m_files(new QListWidget(this))
    , m_working(new QListWidget(this))
    , m_add(new QPushButton(tr("&Add"), this))
    , m_remove(new QPushButton(tr("&Remove"), this))
    , m_clear(new QPushButton(tr("C&lear"), this))
{
    setObjectName(QStringLiteral("attachmentsDialog"));
    setWindowTitle(tr("File Attachments"));
    m_tree->setObjectName(QStringLiteral("foldersTreeView"));
    m_files->setObjectName(QStringLiteral("filesListWidget"));
    m_working->setObjectName(QStringLiteral("attachmentsListWidget"));
    m_add->setObjectName(QStringLiteral("addButton"));
    m_remove->setObjectName(QStringLiteral("removeButton"));
    m_clear->setObjectName(QStringLiteral("clearButton"));

    m_folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_folders->setRootPath(QDir::rootPath());
    m_tree->setModel(m_folders);
    for (int column = 1; column < m_folders->columnCount(); ++column) {
        m_tree->hideColumn(column);
    }
    m_tree->header()->hide();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* browse = new QHBoxLayout;
    browse->addWidget(m_tree, 1);
    browse->addWidget(m_files, 1);
    auto* actions = new QVBoxLayout;
    actions->addWidget(m_add);
    actions->addWidget(m_remove);
    actions->addWidget(m_clear);
    actions->addStretch(1);
    auto* chosen = new QHBoxLayout;
    chosen->addWidget(m_working, 1);
    chosen->addLayout(actions);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(browse, 2);
    layout->addWidget(new QLabel(tr("Files to attach:"), this));
    layout->addLayout(chosen, 1);
    layout->addWidget(buttons);

    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) { setCurrentFolder(m_folders->filePath(index)); });
    connect(m_add, &QPushButton::clicked, this, &AttachmentsDialog::addSelected);
    connect(m_files, &QListWidget::itemDoubleClicked, this, &AttachmentsDialog::addSelected);
    connect(m_remove, &QPushButton::clicked, this, &AttachmentsDialog::removeSelected);
    connect(m_clear, &QPushButton::clicked, this, [this] {
        m_list.clear();
        refreshWorkingList();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &AttachmentsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &AttachmentsDialog::reject);

    setCurrentFolder(lastFolder());
    m_tree->setCurrentIndex(m_folders->index(m_folder));
    refreshWorkingList();
    resize(620, 460);
}

AttachmentsDialog::~AttachmentsDialog()
{
    lastFolder() = m_folder;
}

void AttachmentsDialog::setCurrentFolder(const QString& folder)
{
    if (folder.isEmpty() || folder == m_folder) {
        return;
    }
    m_folder = folder;
    m_files->clear();
    m_files->addItems(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name));
    updateButtons();
}

void AttachmentsDialog::addSelected()
{
    std::optional<std::string> name;
    if (QListWidgetItem* item = m_files->currentItem(); item != nullptr && item->isSelected()) {
        name = item->text().toStdString();
    }
    if (!m_list.add(m_folder.toStdString(), name, m_prompter)) {
        m_files->setFocus();
        return;
    }
    refreshWorkingList();
}

void AttachmentsDialog::removeSelected()
{
    std::optional<std::size_t> selected;
    if (QListWidgetItem* item = m_working->currentItem(); item != nullptr && item->isSelected()) {
        selected = static_cast<std::size_t>(m_working->row(item));
    }
    if (m_list.remove(selected, m_prompter)) {
        refreshWorkingList();
    }
}

void AttachmentsDialog::refreshWorkingList()
{
    m_working->clear();
    for (const auto& path : m_list.paths()) {
        m_working->addItem(QString::fromStdString(path));
    }
    updateButtons();
}

void AttachmentsDialog::updateButtons()
{
    m_add->setEnabled(m_files->count() > 0);
    m_remove->setEnabled(!m_list.isEmpty());
    m_clear->setEnabled(!m_list.isEmpty());
}

} // namespace tidecast::ui
