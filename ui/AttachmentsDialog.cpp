#include "ui/AttachmentsDialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tidecast::ui
{

namespace
{

// The folder files were last picked from, for the rest of the run.
QString& lastFolder()
{
    static QString folder = QDir::homePath();
    return folder;
}

QStringList askForFiles(QWidget* parent, const QString& folder)
{
    return QFileDialog::getOpenFileNames(parent, QObject::tr("File Attachments"), folder, QObject::tr("All files (*)"));
}

} // namespace

AttachmentsDialog::AttachmentsDialog(std::vector<std::string> paths, Prompter& prompter, QWidget* parent)
    : QDialog(parent)
    , m_list(std::move(paths))
    , m_prompter(prompter)
    , m_folder(lastFolder())
    , m_pickFiles(askForFiles)
    , m_working(new QListWidget(this))
    , m_add(new QPushButton(tr("&Add"), this))
    , m_remove(new QPushButton(tr("&Remove"), this))
    , m_clear(new QPushButton(tr("C&lear"), this))
{
    setObjectName(QStringLiteral("attachmentsDialog"));
    setWindowTitle(tr("File Attachments"));
    m_working->setObjectName(QStringLiteral("attachmentsListWidget"));
    m_add->setObjectName(QStringLiteral("addButton"));
    m_remove->setObjectName(QStringLiteral("removeButton"));
    m_clear->setObjectName(QStringLiteral("clearButton"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* actions = new QVBoxLayout;
    actions->addWidget(m_add);
    actions->addWidget(m_remove);
    actions->addWidget(m_clear);
    actions->addStretch(1);
    auto* chosen = new QHBoxLayout;
    chosen->addWidget(m_working, 1);
    chosen->addLayout(actions);
    auto* label = new QLabel(tr("Files to attach:"), this);
    label->setBuddy(m_working);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(chosen, 1);
    layout->addWidget(buttons);

    connect(m_add, &QPushButton::clicked, this, &AttachmentsDialog::addChosenFiles);
    connect(m_remove, &QPushButton::clicked, this, &AttachmentsDialog::removeSelected);
    connect(m_clear, &QPushButton::clicked, this, [this] {
        m_list.clear();
        refreshWorkingList();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &AttachmentsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &AttachmentsDialog::reject);

    refreshWorkingList();
    m_add->setFocus();
    resize(560, 320);
}

AttachmentsDialog::~AttachmentsDialog()
{
    lastFolder() = m_folder;
}

void AttachmentsDialog::addChosenFiles()
{
    const QStringList files = m_pickFiles(this, m_folder);
    if (files.isEmpty()) {
        return;
    }
    bool added = false;
    for (const QString& file : files) {
        const QFileInfo info(file);
        m_folder = QDir::toNativeSeparators(info.absolutePath());
        added = m_list.add(m_folder.toStdString(), info.fileName().toStdString(), m_prompter) || added;
    }
    if (added) {
        refreshWorkingList();
    }
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
    m_remove->setEnabled(!m_list.isEmpty());
    m_clear->setEnabled(!m_list.isEmpty());
}

} // namespace tidecast::ui
