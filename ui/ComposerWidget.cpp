#include "ui/ComposerWidget.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace tidecast::ui
{

ComposerWidget::ComposerWidget(QWidget* parent)
    : QWidget(parent)
    , m_groupSelector(new QComboBox(this))
    , m_subject(new QLineEdit(this))
    , m_body(new QPlainTextEdit(this))
    , m_priority(new QComboBox(this))
    , m_attachments(new QListWidget(this))
    , m_attachmentsButton(new QPushButton(tr("..."), this))
    , m_htmlFile(new QLineEdit(this))
    , m_htmlFileButton(new QPushButton(tr("..."), this))
{
    setObjectName(QStringLiteral("composerWidget"));
    m_groupSelector->setObjectName(QStringLiteral("groupComboBox"));
    m_subject->setObjectName(QStringLiteral("subjectLineEdit"));
    m_body->setObjectName(QStringLiteral("bodyTextEdit"));
    m_priority->setObjectName(QStringLiteral("priorityComboBox"));
    m_attachments->setObjectName(QStringLiteral("attachmentsListWidget"));
    m_attachmentsButton->setObjectName(QStringLiteral("attachmentsButton"));
    m_htmlFile->setObjectName(QStringLiteral("htmlFileLineEdit"));
    m_htmlFileButton->setObjectName(QStringLiteral("htmlFileButton"));

    m_groupSelector->setEditable(false);
    m_body->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_htmlFile->setReadOnly(true);
    m_attachments->setMaximumHeight(72);
    m_attachmentsButton->setToolTip(tr("Add or remove file attachments"));
    m_htmlFileButton->setToolTip(tr("Select an HTML message file"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(tr("Send To:"), this), 0, 0);
    grid->addWidget(m_groupSelector, 0, 1);
    grid->addWidget(new QLabel(tr("Priority:"), this), 0, 2);
    grid->addWidget(m_priority, 0, 3);
    grid->addWidget(new QLabel(tr("Subject:"), this), 1, 0);
    grid->addWidget(m_subject, 1, 1, 1, 3);
    grid->addWidget(new QLabel(tr("Message:"), this), 2, 0, Qt::AlignTop);
    grid->addWidget(m_body, 2, 1, 1, 3);

    grid->addWidget(new QLabel(tr("File Attachments:"), this), 3, 0, Qt::AlignTop);
    auto* attachRow = new QHBoxLayout;
    attachRow->addWidget(m_attachments, 1);
    attachRow->addWidget(m_attachmentsButton, 0, Qt::AlignTop);
    grid->addLayout(attachRow, 3, 1, 1, 3);

    grid->addWidget(new QLabel(tr("Optional HTML Message:"), this), 4, 0);
    auto* htmlRow = new QHBoxLayout;
    htmlRow->addWidget(m_htmlFile, 1);
    htmlRow->addWidget(m_htmlFileButton);
    grid->addLayout(htmlRow, 4, 1, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);

    connect(m_subject, &QLineEdit::textEdited, this, [this] { setTextChanged(true); });
    connect(m_body, &QPlainTextEdit::textChanged, this, [this] { setTextChanged(true); });

    resetPriority();
}

void ComposerWidget::setTextChanged(bool changed)
{
    if (changed != m_textChanged) {
        m_textChanged = changed;
        emit textChangedStateChanged(changed);
    }
}

void ComposerWidget::clearMessage()
{
    m_subject->clear();
    m_attachments->clear();
    m_body->clear();
    m_htmlFile->clear();
}

void ComposerWidget::resetPriority()
{
    m_priority->clear();
    m_priority->addItems({tr("High"), tr("Normal"), tr("Low")});
    m_priority->setCurrentIndex(1);
}

} // namespace tidecast::ui
