#include "ui/MessageHistoryWidget.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace tidecast::ui
{

MessageHistoryWidget::MessageHistoryWidget(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("messageHistoryWidget"));
    auto* box = new QGroupBox(tr("Previously Sent Messages"), this);
    m_messages = new QTreeView(box);
    m_messages->setObjectName(QStringLiteral("messagesTreeView"));
    m_messages->setRootIsDecorated(false);
    m_messages->setUniformRowHeights(true);
    m_messages->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_open = new QPushButton(tr("O&pen"), box);
    m_open->setObjectName(QStringLiteral("openMessageButton"));
    m_delete = new QPushButton(tr("&Delete"), box);
    m_delete->setObjectName(QStringLiteral("deleteMessageButton"));

    auto* boxLayout = new QVBoxLayout(box);
    boxLayout->addWidget(m_messages, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_open);
    buttons->addWidget(m_delete);
    boxLayout->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
}

} // namespace tidecast::ui
