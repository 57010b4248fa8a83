#include "ui/CopyMoveDialog.h"

#include "commands/MaintenanceTexts.h"
#include "ui/GroupDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
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

CopyMoveDialog::CopyMoveDialog(store::GroupStore& groups, commands::TransferMode mode, const QString& sourceGroup,
                               const QStringList& addresses, QWidget* parent)
    : QDialog(parent)
    , m_groups(groups)
    , m_mode(mode)
    , m_source(sourceGroup)
    , m_addresses(addresses)
    , m_recipients(new QListWidget(this))
    , m_destination(new QComboBox(this))
    , m_overwrite(new QCheckBox(tr("Overwrite existing recipients without asking"), this))
    , m_run(new QPushButton(this))
{
    const bool move = mode == commands::TransferMode::Move;
    setObjectName(QStringLiteral("copyMoveDialog"));
    setWindowTitle(move ? QStringLiteral("Move Recipients ...") : QStringLiteral("Copy Recipients ..."));
    m_recipients->setObjectName(QStringLiteral("recipientsList"));
    m_recipients->addItems(addresses);
    m_destination->setObjectName(QStringLiteral("destinationComboBox"));
    m_overwrite->setObjectName(QStringLiteral("overwriteCheckBox"));
    m_run->setObjectName(QStringLiteral("runButton"));
    m_run->setText(move ? QStringLiteral("&Move") : QStringLiteral("&Copy"));
    m_run->setDefault(true);

    auto* count = new QLabel(QString::number(addresses.size()) + qs(commands::text::kRecipientsCountSuffix), this);
    count->setObjectName(QStringLiteral("countLabel"));
    auto* newGroup = new QPushButton(tr("&New Group ..."), this);
    newGroup->setObjectName(QStringLiteral("newGroupButton"));
    auto* cancel = new QPushButton(tr("C&ancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(move ? QStringLiteral("Move the Following Recipients")
                                      : QStringLiteral("Copy the Following Recipients"),
                                 this));
    layout->addWidget(m_recipients);
    layout->addWidget(count);
    layout->addWidget(new QLabel(QStringLiteral("To this Group"), this));
    auto* destinationRow = new QHBoxLayout;
    destinationRow->addWidget(m_destination, 1);
    destinationRow->addWidget(newGroup);
    layout->addLayout(destinationRow);
    layout->addWidget(m_overwrite);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_run);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    fillGroups({});
    connect(newGroup, &QPushButton::clicked, this, &CopyMoveDialog::addGroup);
    connect(m_run, &QPushButton::clicked, this, &CopyMoveDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &CopyMoveDialog::reject);
}

void CopyMoveDialog::fillGroups(const QString& select)
{
    m_destination->clear();
    for (const auto& row : m_groups.rows()) {
        m_destination->addItem(QString::fromStdString(row.name));
    }
    if (!select.isEmpty()) {
        m_destination->setCurrentText(select);
    }
}

void CopyMoveDialog::addGroup()
{
    m_groups.beginAddGroup();
    GroupDialog dialog(m_groups, {}, this);
    if (dialog.exec() != QDialog::Accepted) {
        m_groups.clearGroupPaths();
        return;
    }
    m_groups.finishAddGroup();
    fillGroups(dialog.groupName());
}

void CopyMoveDialog::accept()
{
    m_groups.closeDatabase();
    commands::TransferRequest request;
    request.mode = m_mode;
    request.source = m_source.toStdString();
    request.destination = m_destination->currentText().toStdString();
    for (const auto& address : m_addresses) {
        request.addresses.push_back(address.toStdString());
    }
    request.overwrite = m_overwrite->isChecked();
    commands::RecipientTransfer transfer(commands::maintenanceContext(m_groups), std::move(request));
    switch (transfer.check()) {
    case commands::TransferCheck::SourceInvalid:
        m_result = CopyMoveResult::Error;
        QDialog::reject();
        return;
    case commands::TransferCheck::DestinationInvalid:
        return;
    case commands::TransferCheck::Ready:
        break;
    }
    (void)transfer.run();
    m_result = CopyMoveResult::Done;
    QDialog::accept();
}

} // namespace tidecast::ui
