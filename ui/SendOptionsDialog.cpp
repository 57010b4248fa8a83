#include "ui/SendOptionsDialog.h"

#include "mailing/SendOptionsTexts.h"
#include "ui/FilterListWidget.h"
#include "ui/ServerSetupDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
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
    return text.toStdString();
}

QDate toQDate(std::chrono::year_month_day date)
{
    return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day()))};
}

std::chrono::year_month_day fromQDate(QDate date)
{
    return std::chrono::year(date.year()) / std::chrono::month(static_cast<unsigned>(date.month())) /
           std::chrono::day(static_cast<unsigned>(date.day()));
}

// Signature text keeps CR LF line breaks, as the identity settings do.
std::string signatureFromWidget(const QString& text)
{
    QString crlf = text;
    crlf.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return utf8(crlf);
}

QString signatureForWidget(const std::string& text)
{
    QString plain = qs(text);
    return plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

template <typename Widget> Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QDateEdit* dateEdit(QWidget* parent, const char* name)
{
    auto* edit = named(new QDateEdit(parent), name);
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    return edit;
}

} // namespace

SendOptionsDialog::SendOptionsDialog(mailing::SendOptions& options, settings::Settings& settings,
                                     settings::SettingsPaths paths, Prompter& prompter, messages::FileChooser& chooser,
                                     mailing::SendOptionsOpening opening, QWidget* parent)
    : QDialog(parent)
    , m_form(options, settings, paths, prompter)
    , m_settings(settings)
    , m_paths(std::move(paths))
    , m_prompter(prompter)
    , m_chooser(chooser)
    , m_tabs(named(new QTabWidget(this), "sendOptionsTabWidget"))
{
    setObjectName(QStringLiteral("sendOptionsDialog"));
    setModal(true);
    m_tabs->setUsesScrollButtons(false); // wide enough for every tab

    m_tabs->addTab(buildGeneralTab(), tr("General"));
    m_tabs->addTab(buildServerTab(), tr("Server && Identification Details"));
    m_tabs->addTab(buildAttachmentsTab(), tr("Custom Attachments"));
    m_tabs->addTab(buildFiltersTab(), tr("Filters"));
    m_tabs->addTab(buildPartialTab(), tr("Partial Sending"));
    m_tabs->addTab(buildBlockFileTab(), tr("Advanced Exclusion / Recovery"));

    auto* preview = named(new QPushButton(tr("Pre&view"), this), "previewButton");
    auto* send = named(new QPushButton(tr("&Send"), this), "sendButton");
    auto* cancel = named(new QPushButton(tr("&Cancel"), this), "cancelButton");
    preview->setAutoDefault(false);
    cancel->setAutoDefault(false);
    send->setDefault(true);
    connect(preview, &QPushButton::clicked, this, &SendOptionsDialog::onPreview);
    connect(send, &QPushButton::clicked, this, &SendOptionsDialog::onSend);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(preview);
    buttons->addWidget(send);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttons);

    m_form.open(std::move(opening));
    for (const auto& group : m_form.groups()) {
        m_group->addItem(qs(group));
    }
    showEntries();
    // Only now does choosing a group count as a change: filling the selector is not one.
    connect(m_group, &QComboBox::activated, this, &SendOptionsDialog::onGroupActivated);
}

QWidget* SendOptionsDialog::buildGeneralTab()
{
    auto* page = new QWidget(this);
    m_group = named(new QComboBox(page), "groupComboBox");
    m_size = named(new QLabel(page), "groupSizeLabel");
    m_personal = named(new QRadioButton(tr("Personal Sending"), page), "personalRadioButton");
    m_bulk = named(new QRadioButton(tr("Bulk Sending"), page), "bulkRadioButton");
    m_personalNote = named(new QLabel(qs(mailing::text::kPersonalNote), page), "personalNoteLabel");
    m_toLabel = named(new QLabel(qs(mailing::text::kToFieldLabel), page), "toLabel");
    m_to = named(new QLineEdit(page), "toLineEdit");
    m_dsn = named(new QCheckBox(tr("Request Delivery Status Notification"), page), "dsnCheckBox");
    connect(m_bulk, &QRadioButton::clicked, this, &SendOptionsDialog::onBulkClicked);
    connect(m_personal, &QRadioButton::clicked, this, &SendOptionsDialog::onPersonalClicked);

    auto* groupRow = new QHBoxLayout;
    groupRow->addWidget(new QLabel(tr("Group:"), page));
    groupRow->addWidget(m_group, 1);
    groupRow->addWidget(m_size);
    auto* method = new QGroupBox(tr("Sending Method"), page);
    auto* methodLayout = new QVBoxLayout(method);
    methodLayout->addWidget(m_personal);
    methodLayout->addWidget(m_personalNote);
    methodLayout->addWidget(m_bulk);
    methodLayout->addWidget(m_toLabel);
    methodLayout->addWidget(m_to);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(groupRow);
    layout->addWidget(method);
    layout->addWidget(m_dsn);
    layout->addStretch();
    return page;
}

QWidget* SendOptionsDialog::buildServerTab()
{
    auto* page = new QWidget(this);
    auto* frame = new QGroupBox(qs(mailing::text::kIdentificationFrame), page);
    m_name = named(new QLineEdit(frame), "nameLineEdit");
    m_from = named(new QLineEdit(frame), "fromLineEdit");
    m_organisation = named(new QLineEdit(frame), "organisationLineEdit");
    m_replyTo = named(new QLineEdit(frame), "replyToLineEdit");
    m_signature = named(new QPlainTextEdit(frame), "signatureTextEdit");
    // Enter in the signature is a line break, never Send.
    m_signature->setTabChangesFocus(true);
    auto* form = new QFormLayout(frame);
    form->addRow(tr("Name:"), m_name);
    form->addRow(tr("From:"), m_from);
    form->addRow(tr("Organization:"), m_organisation);
    form->addRow(tr("Reply To:"), m_replyTo);
    form->addRow(tr("Signature:"), m_signature);

    m_server = named(new QLineEdit(page), "serverLineEdit");
    auto* setup = named(new QPushButton(tr("Set&up"), page), "setupButton");
    setup->setAutoDefault(false);
    connect(setup, &QPushButton::clicked, this, &SendOptionsDialog::onSetup);
    auto* serverRow = new QHBoxLayout;
    serverRow->addWidget(new QLabel(tr("SMTP Mail Server:"), page));
    serverRow->addWidget(m_server, 1);
    serverRow->addWidget(setup);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(frame);
    layout->addLayout(serverRow);
    return page;
}

QWidget* SendOptionsDialog::buildAttachmentsTab()
{
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    m_sendAttachments = named(new QCheckBox(tr("Do you wish to send these custom attachments at this time?"), page),
                              "sendAttachmentsCheckBox");
    layout->addWidget(m_sendAttachments);
    for (std::size_t i = 0; i < m_attachFields.size(); ++i) {
        m_attachFields[i] = new QCheckBox(tr("Additional Field %1").arg(i + 1), page);
        m_attachFields[i]->setObjectName(QStringLiteral("attachField%1CheckBox").arg(i + 1));
        layout->addWidget(m_attachFields[i]);
    }
    layout->addStretch();
    return page;
}

QWidget* SendOptionsDialog::buildFiltersTab()
{
    auto* page = new QWidget(this);
    m_after = named(new QCheckBox(tr("Send to those added On or After:"), page), "afterDateCheckBox");
    m_afterDate = dateEdit(page, "afterDateEdit");
    m_before = named(new QCheckBox(tr("Send to those added Before:"), page), "beforeDateCheckBox");
    m_beforeDate = dateEdit(page, "beforeDateEdit");
    connect(m_after, &QCheckBox::toggled, m_afterDate, &QWidget::setEnabled);
    connect(m_before, &QCheckBox::toggled, m_beforeDate, &QWidget::setEnabled);

    m_filters = new FilterListWidget(filters::FilterContext::Send, {true, false, filters::FilterFileKind::Send},
                                     m_prompter, page);
    m_filters->setObjectName(QStringLiteral("sendFiltersWidget"));
    m_filters->setFileAccess(&m_settings, m_paths.dataFolder(), &m_chooser);

    auto* dates = new QGridLayout;
    dates->addWidget(m_after, 0, 0);
    dates->addWidget(m_afterDate, 0, 1);
    dates->addWidget(m_before, 1, 0);
    dates->addWidget(m_beforeDate, 1, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(dates);
    layout->addWidget(m_filters, 1);
    return page;
}

QWidget* SendOptionsDialog::buildPartialTab()
{
    auto* page = new QWidget(this);
    m_partial = named(new QCheckBox(tr("Do a Partial Send"), page), "partialCheckBox");
    m_startLabel = new QLabel(tr("Start from recipient #"), page);
    m_start = named(new QLineEdit(page), "partialStartLineEdit");
    m_endLabel = new QLabel(tr("End at recipient #"), page);
    m_end = named(new QLineEdit(page), "partialEndLineEdit");
    m_start->installEventFilter(this);
    m_end->installEventFilter(this);
    connect(m_partial, &QCheckBox::toggled, this, &SendOptionsDialog::updatePartialWidgets);

    auto* grid = new QGridLayout;
    grid->addWidget(m_startLabel, 0, 0);
    grid->addWidget(m_start, 0, 1);
    grid->addWidget(m_endLabel, 1, 0);
    grid->addWidget(m_end, 1, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_partial);
    layout->addLayout(grid);
    layout->addStretch();
    return page;
}

QWidget* SendOptionsDialog::buildBlockFileTab()
{
    auto* page = new QWidget(this);
    m_blockFile = named(new QLineEdit(page), "blockFileLineEdit");
    auto* browse = named(new QPushButton(tr("..."), page), "blockFileButton");
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, &SendOptionsDialog::onChooseBlockFile);
    auto* row = new QHBoxLayout;
    row->addWidget(m_blockFile, 1);
    row->addWidget(browse);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(tr("Do not send to the addresses in this file (for example the sent log of an "
                                    "interrupted mailing):"),
                                 page));
    layout->addLayout(row);
    layout->addStretch();
    return page;
}

void SendOptionsDialog::readWidgets()
{
    auto& e = m_form.entries();
    e.bulk = m_bulk->isChecked();
    e.toText = utf8(m_to->text());
    e.dsn = m_dsn->isChecked();
    e.identity = {utf8(m_name->text()), utf8(m_from->text()), utf8(m_replyTo->text()), utf8(m_organisation->text()),
                  signatureFromWidget(m_signature->toPlainText())};
    e.server = utf8(m_server->text());
    e.sendCustomAttachments = m_sendAttachments->isChecked();
    for (std::size_t i = 0; i < m_attachFields.size(); ++i) {
        e.attachFields[i] = m_attachFields[i]->isChecked();
    }
    e.afterOn = m_after->isChecked();
    e.afterDate = fromQDate(m_afterDate->date());
    e.beforeOn = m_before->isChecked();
    e.beforeDate = fromQDate(m_beforeDate->date());
    e.filters = m_filters->filters();
    e.partial = m_partial->isChecked();
    e.partialStart = utf8(m_start->text());
    e.partialEnd = utf8(m_end->text());
    e.blockFile = utf8(m_blockFile->text());
}

void SendOptionsDialog::showEntries()
{
    const auto& e = m_form.entries();
    setWindowTitle(qs(m_form.caption()));
    m_group->setCurrentIndex(m_group->findText(qs(e.groupName), Qt::MatchExactly));
    m_size->setText(qs(m_form.sizeLabel()));
    m_bulk->setChecked(e.bulk);
    m_personal->setChecked(!e.bulk);
    m_to->setText(qs(e.toText));
    m_dsn->setChecked(e.dsn);
    m_name->setText(qs(e.identity.name));
    m_from->setText(qs(e.identity.address));
    m_replyTo->setText(qs(e.identity.replyTo));
    m_organisation->setText(qs(e.identity.organisation));
    if (m_signature->toPlainText() != signatureForWidget(e.identity.signature)) {
        m_signature->setPlainText(signatureForWidget(e.identity.signature));
    }
    m_server->setText(qs(e.server));
    m_sendAttachments->setChecked(e.sendCustomAttachments);
    for (std::size_t i = 0; i < m_attachFields.size(); ++i) {
        m_attachFields[i]->setChecked(e.attachFields[i]);
    }
    m_after->setChecked(e.afterOn);
    m_afterDate->setDate(toQDate(e.afterDate));
    m_afterDate->setEnabled(e.afterOn);
    m_before->setChecked(e.beforeOn);
    m_beforeDate->setDate(toQDate(e.beforeDate));
    m_beforeDate->setEnabled(e.beforeOn);
    m_partial->setChecked(e.partial);
    m_start->setText(qs(e.partialStart));
    m_end->setText(qs(e.partialEnd));
    m_blockFile->setText(qs(e.blockFile));
    updateModeWidgets();
    updatePartialWidgets();
}

void SendOptionsDialog::updateModeWidgets()
{
    bool bulk = m_bulk->isChecked();
    m_toLabel->setEnabled(bulk);
    m_to->setEnabled(bulk);
    m_personalNote->setEnabled(!bulk);
}

void SendOptionsDialog::updatePartialWidgets()
{
    bool on = m_partial->isChecked();
    for (QWidget* widget : {static_cast<QWidget*>(m_startLabel), static_cast<QWidget*>(m_start),
                            static_cast<QWidget*>(m_endLabel), static_cast<QWidget*>(m_end)}) {
        widget->setEnabled(on);
    }
}

bool SendOptionsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_start && watched != m_end) {
        return QDialog::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        QString typed = key->text();
        // Keys that type nothing (arrows, Tab, Enter) are not characters and pass.
        bool typesCharacter = !typed.isEmpty() && (typed.at(0).isPrint() || key->key() == Qt::Key_Backspace);
        if (typesCharacter && !(key->modifiers() & Qt::ControlModifier)) {
            char32_t character = key->key() == Qt::Key_Backspace ? 8 : typed.toUcs4().value(0);
            if (!m_form.acceptPartialKey(character)) {
                QApplication::beep();
                return true;
            }
        }
    } else if (event->type() == QEvent::FocusOut) {
        readWidgets();
        if (watched == m_start) {
            m_form.leaveStartBox();
        } else {
            m_form.leaveEndBox();
        }
        m_start->setText(qs(m_form.entries().partialStart));
        m_end->setText(qs(m_form.entries().partialEnd));
    }
    return QDialog::eventFilter(watched, event);
}

void SendOptionsDialog::onBulkClicked()
{
    readWidgets();
    m_form.chooseBulk();
    m_bulk->setChecked(m_form.entries().bulk);
    m_personal->setChecked(!m_form.entries().bulk);
    updateModeWidgets();
}

void SendOptionsDialog::onPersonalClicked()
{
    m_form.choosePersonal();
    updateModeWidgets();
}

void SendOptionsDialog::onGroupActivated(int index)
{
    readWidgets();
    m_form.changeGroup(utf8(m_group->itemText(index)));
    showEntries();
}

void SendOptionsDialog::onChooseBlockFile()
{
    messages::FileDialogRequest request{
        std::string(mailing::text::kBlockFileTitle), std::string(mailing::text::kBlockFileTypes), {}, {}};
    if (auto chosen = m_chooser.openFile(request)) {
        readWidgets();
        if (m_form.chooseBlockFile(*chosen)) {
            m_blockFile->setText(qs(m_form.entries().blockFile));
        }
    }
}

void SendOptionsDialog::onSetup()
{
    bool cancelled = false;
    if (m_setupHandler) {
        cancelled = m_setupHandler();
    } else {
        ServerSetupDialog setup(m_settings, m_prompter, this);
        cancelled = setup.exec() != QDialog::Accepted;
    }
    readWidgets();
    m_form.setupClosed(cancelled);
    m_server->setText(qs(m_form.entries().server));
}

void SendOptionsDialog::showRefusal(const mailing::SendOptionsCheck& check)
{
    switch (check.focus) {
    case mailing::SendOptionsFocus::GroupSelector:
        m_tabs->setCurrentIndex(static_cast<int>(mailing::SendOptionsTab::General));
        m_group->setFocus();
        m_group->showPopup();
        break;
    case mailing::SendOptionsFocus::ServerBox:
        m_tabs->setCurrentIndex(static_cast<int>(check.tab));
        m_server->setFocus();
        break;
    case mailing::SendOptionsFocus::AddressBox:
        m_tabs->setCurrentIndex(static_cast<int>(check.tab));
        m_from->setFocus();
        break;
    case mailing::SendOptionsFocus::None:
        break;
    }
}

void SendOptionsDialog::onPreview()
{
    readWidgets();
    auto check = m_form.preview();
    if (!check.accepted) {
        showRefusal(check);
        return;
    }
    if (m_previewHandler) {
        m_previewHandler(m_form.options());
    }
}

void SendOptionsDialog::onSend()
{
    readWidgets();
    auto check = m_form.send();
    if (!check.accepted) {
        showRefusal(check);
        return;
    }
    accept();
}

} // namespace tidecast::ui
