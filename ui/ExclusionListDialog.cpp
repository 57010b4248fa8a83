#include "ui/ExclusionListDialog.h"

#include "store/StoreTexts.h"
#include "transfer/ExclusionTexts.h"
#include "ui/ExcludeRecipientDialog.h"
#include "ui/ExclusionImportDialog.h"
#include "ui/ExclusionListModel.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace tidecast::ui
{

namespace
{

constexpr std::string_view kLoadTag = "LoadExclusionList: ";
constexpr std::string_view kSaveTag = "SaveExclusionList: ";

QString qs(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

ExclusionListDialog::ExclusionListDialog(Setup setup, Prompter& prompter, QWidget* parent)
    : QDialog(parent)
    , m_setup(std::move(setup))
    , m_prompter(prompter)
    , m_editor(m_setup.dataDir, prompter)
    , m_groupChoices(transfer::ExclusionEditor::groupChoices(m_setup.groups, m_setup.dataDir))
    , m_model(new ExclusionListModel(m_editor.list(), this))
    , m_view(new QTreeView(this))
    , m_countLabel(new QLabel(this))
{
    setObjectName(QStringLiteral("exclusionListDialog"));
    setWindowTitle(qs(transfer::text::kExclusionCaption));
    if (auto loaded = m_editor.load(); !loaded) {
        m_prompter.message(store::text::procedureError(kLoadTag, loaded.error()), Icon::Exclamation);
    }
    m_view->setObjectName(QStringLiteral("exclusionTreeView"));
    m_view->setRootIsDecorated(false);
    m_view->setUniformRowHeights(true); // keeps a list of a million entries quick to scroll
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setModel(m_model);
    m_view->installEventFilter(this);
    m_countLabel->setObjectName(QStringLiteral("countLabel"));

    auto* frame = new QGroupBox(qs(transfer::text::kMembersFrame), this);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(m_view);
    frameLayout->addWidget(m_countLabel);
    auto* note = new QLabel(qs(transfer::text::kExclusionNote), this);
    note->setWordWrap(true);

    auto makeButton = [this](const char* name, const QString& text) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoDefault(false);
        return button;
    };
    auto* addButton = makeButton("addButton", tr("&Add"));
    auto* deleteButton = makeButton("deleteButton", tr("&Delete"));
    auto* deleteAllButton = makeButton("deleteAllButton", tr("De&lete All"));
    auto* exportButton = makeButton("exportButton", tr("&Export"));
    auto* importButton = makeButton("importButton", tr("&Import"));
    auto* okButton = makeButton("okButton", tr("OK"));
    auto* cancelButton = makeButton("cancelButton", tr("&Cancel"));
    connect(addButton, &QPushButton::clicked, this, &ExclusionListDialog::addEntry);
    connect(deleteButton, &QPushButton::clicked, this, &ExclusionListDialog::deleteSelected);
    connect(deleteAllButton, &QPushButton::clicked, this, &ExclusionListDialog::deleteAll);
    connect(exportButton, &QPushButton::clicked, this, &ExclusionListDialog::exportList);
    connect(importButton, &QPushButton::clicked, this, &ExclusionListDialog::importEntries);
    connect(okButton, &QPushButton::clicked, this, &ExclusionListDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* side = new QVBoxLayout;
    for (auto* button : {addButton, deleteButton, deleteAllButton, exportButton, importButton}) {
        side->addWidget(button);
    }
    side->addStretch();
    auto* middle = new QHBoxLayout;
    middle->addWidget(frame, 1);
    middle->addLayout(side);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(okButton);
    bottom->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(middle);
    layout->addWidget(note);
    layout->addLayout(bottom);
    refreshCount();
}

ExclusionListDialog::~ExclusionListDialog()
{
    // The model reads the editor's list, which goes before the child widgets do.
    m_view->setModel(nullptr);
}

void ExclusionListDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_shown && !m_setup.handedAddress.isEmpty()) {
        QTimer::singleShot(0, this, [this] { openAddDialog(m_setup.handedAddress); });
    }
    m_shown = true;
}

bool ExclusionListDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        deleteSelected();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ExclusionListDialog::refreshCount()
{
    m_countLabel->setText(QString::fromStdString(m_editor.countText()));
}

void ExclusionListDialog::openAddDialog(const QString& address)
{
    auto adder = [this](const std::string& emailAddress, const std::string& group) {
        // The checks' messages come before the list changes, so the view never shows a half change.
        m_model->beginChange();
        const auto outcome = m_editor.add(emailAddress, group);
        m_model->endChange();
        refreshCount();
        return outcome;
    };
    ExcludeRecipientDialog dialog(adder, m_groupChoices, address, this);
    if (m_addHook) {
        m_addHook(dialog);
    } else {
        dialog.exec();
    }
}

void ExclusionListDialog::addEntry()
{
    openAddDialog({});
}

void ExclusionListDialog::deleteSelected()
{
    std::vector<std::size_t> selected;
    for (const QModelIndex& index : m_view->selectionModel()->selectedRows()) {
        selected.push_back(static_cast<std::size_t>(index.row()));
    }
    // Answered No, the selection stays as it was.
    if (m_editor.removeSelected(selected)) {
        m_model->reload();
        refreshCount();
    }
}

void ExclusionListDialog::deleteAll()
{
    if (m_editor.removeAll()) {
        m_model->reload();
        refreshCount();
    }
}

void ExclusionListDialog::exportList()
{
    if (auto saved = m_editor.saveForExport(); !saved) {
        m_prompter.message(store::text::procedureError(kSaveTag, saved.error()), Icon::Exclamation);
        return;
    }
    if (m_exportHandler) {
        m_exportHandler();
    }
}

void ExclusionListDialog::importEntries()
{
    auto apply = [this](std::vector<transfer::ExclusionEntry> entries) {
        m_model->beginChange();
        for (auto& entry : entries) {
            m_editor.list().add(std::move(entry.emailAddress), std::move(entry.group));
        }
        m_model->endChange();
        refreshCount();
    };
    ExclusionImportDialog dialog(m_editor.list(), m_groupChoices, m_prompter, m_setup.chooser, apply, this);
    if (m_importHook) {
        m_importHook(dialog);
    } else {
        dialog.exec();
    }
}

void ExclusionListDialog::accept()
{
    if (auto saved = m_editor.save(); !saved) {
        m_prompter.message(store::text::procedureError(kSaveTag, saved.error()), Icon::Exclamation);
        return;
    }
    QDialog::accept();
}

} // namespace tidecast::ui
