#include "ui/WelcomeWizard.h"

#include "settings/SetupForms.h"
#include "ui/ServerSetupDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace tidecast::ui
{

namespace
{

QWidget* textPage(const QString& heading, const QString& text)
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* title = new QLabel(QStringLiteral("<h2>%1</h2>").arg(heading.toHtmlEscaped()), page);
    auto* body = new QLabel(text, page);
    body->setWordWrap(true);
    layout->addWidget(title);
    layout->addWidget(body);
    layout->addStretch(1);
    return page;
}

} // namespace

WelcomeWizard::WelcomeWizard(settings::Settings& settings, const settings::SettingsPaths& paths, Prompter& prompter,
                             GroupActions actions, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_paths(paths)
    , m_prompter(prompter)
    , m_actions(std::move(actions))
    , m_pages(new QStackedWidget(this))
    , m_server(new QLineEdit(QString::fromStdString(settings.smtpServer), this))
    , m_email(new QLineEdit(QString::fromStdString(settings.emailAddress), this))
    , m_name(new QLineEdit(QString::fromStdString(settings.realName), this))
    , m_groups(new QListWidget(this))
    , m_previous(new QPushButton(tr("<< &Previous"), this))
    , m_next(new QPushButton(tr("&Next >>"), this))
    , m_cancel(new QPushButton(tr("&Cancel"), this))
{
    setObjectName(QStringLiteral("welcomeWizard"));
    setWindowTitle(tr("Welcome to Corvane Tidecast"));
    m_pages->setObjectName(QStringLiteral("pagesStackedWidget"));
    m_server->setObjectName(QStringLiteral("serverLineEdit"));
    m_email->setObjectName(QStringLiteral("emailLineEdit"));
    m_name->setObjectName(QStringLiteral("nameLineEdit"));
    m_groups->setObjectName(QStringLiteral("groupsListWidget"));
    m_previous->setObjectName(QStringLiteral("previousButton"));
    m_next->setObjectName(QStringLiteral("nextButton"));
    m_cancel->setObjectName(QStringLiteral("cancelButton"));

    m_pages->addWidget(textPage(tr("Welcome to Corvane Tidecast"),
                                tr("This short guide sets up what Tidecast needs before your first mailing: the "
                                   "mail server that sends your messages, who they come from, and a group of "
                                   "recipients to send them to.")));

    auto* serverPage = new QWidget;
    auto* serverLayout = new QVBoxLayout(serverPage);
    auto* serverText = new QLabel(tr("Enter the name of your outgoing (SMTP) mail server and the name and e-mail "
                                     "address your messages are sent from. \"Email Setup\" offers every server "
                                     "option, such as the port, security and authentication."),
                                  serverPage);
    serverText->setWordWrap(true);
    auto* serverForm = new QFormLayout;
    serverForm->addRow(tr("Mail Server:"), m_server);
    serverForm->addRow(tr("E-mail Address:"), m_email);
    serverForm->addRow(tr("Your Name:"), m_name);
    auto* emailSetup = new QPushButton(tr("&Email Setup"), serverPage);
    emailSetup->setObjectName(QStringLiteral("emailSetupButton"));
    serverLayout->addWidget(serverText);
    serverLayout->addLayout(serverForm);
    serverLayout->addWidget(emailSetup, 0, Qt::AlignLeft);
    serverLayout->addStretch(1);
    m_pages->addWidget(serverPage);

    auto* groupsPage = new QWidget;
    auto* groupsLayout = new QVBoxLayout(groupsPage);
    auto* groupsText = new QLabel(tr("Recipients are kept in groups. Create a group, then add recipients to it "
                                     "one by one or import them from a file."),
                                  groupsPage);
    groupsText->setWordWrap(true);
    auto* createGroup = new QPushButton(tr("C&reate a New Group"), groupsPage);
    createGroup->setObjectName(QStringLiteral("createGroupButton"));
    auto* addRecipients = new QPushButton(tr("&Add Recipients"), groupsPage);
    addRecipients->setObjectName(QStringLiteral("addRecipientsButton"));
    auto* importRecipients = new QPushButton(tr("&Import Recipients"), groupsPage);
    importRecipients->setObjectName(QStringLiteral("importRecipientsButton"));
    auto* groupButtons = new QVBoxLayout;
    groupButtons->addWidget(createGroup);
    groupButtons->addWidget(addRecipients);
    groupButtons->addWidget(importRecipients);
    groupButtons->addStretch(1);
    auto* groupsRow = new QHBoxLayout;
    groupsRow->addWidget(m_groups, 1);
    groupsRow->addLayout(groupButtons);
    groupsLayout->addWidget(groupsText);
    groupsLayout->addLayout(groupsRow, 1);
    m_pages->addWidget(groupsPage);

    m_pages->addWidget(textPage(tr("That's it!"), tr("Tidecast is ready. Write your message on the \"Edit Message\" "
                                                     "tab and choose \"Prepare to Send\" when it is done.")));

    auto* navigation = new QHBoxLayout;
    navigation->addStretch(1);
    navigation->addWidget(m_previous);
    navigation->addWidget(m_next);
    navigation->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages, 1);
    layout->addLayout(navigation);

    connect(m_previous, &QPushButton::clicked, this, [this] { showPage(currentPage() - 1); });
    connect(m_next, &QPushButton::clicked, this, [this] { showPage(currentPage() + 1); });
    connect(m_cancel, &QPushButton::clicked, this, &WelcomeWizard::reject);
    connect(emailSetup, &QPushButton::clicked, this, [this] {
        storeFields();
        ServerSetupDialog dialog(m_settings, m_prompter, this);
        dialog.exec();
        m_server->setText(QString::fromStdString(m_settings.smtpServer));
        m_email->setText(QString::fromStdString(m_settings.emailAddress));
        m_name->setText(QString::fromStdString(m_settings.realName));
    });
    connect(createGroup, &QPushButton::clicked, this, [this] {
        if (m_actions.createGroup && m_actions.createGroup()) {
            refreshGroups();
        }
    });
    connect(addRecipients, &QPushButton::clicked, this, [this] {
        if (m_groups->count() == 0) {
            m_prompter.message("Please add a Group first", Icon::Exclamation);
            return;
        }
        if (m_groups->currentItem() == nullptr) {
            m_prompter.message("Please select Group first", Icon::Exclamation);
            return;
        }
        if (m_actions.addRecipients) {
            m_actions.addRecipients(m_groups->currentItem()->text());
            refreshGroups();
        }
    });
    connect(importRecipients, &QPushButton::clicked, this, [this] {
        if (m_actions.importRecipients) {
            m_actions.importRecipients();
            refreshGroups();
        }
    });

    refreshGroups();
    showPage(IntroductionPage);
    resize(520, 360);
}

int WelcomeWizard::currentPage() const
{
    return m_pages->currentIndex();
}

void WelcomeWizard::showPage(int page)
{
    if (page < IntroductionPage || page > ClosingPage) {
        return;
    }
    m_pages->setCurrentIndex(page);
    m_previous->setEnabled(page > IntroductionPage);
    m_next->setEnabled(page < ClosingPage);
    m_cancel->setText(page == ClosingPage ? tr("&Close") : tr("&Cancel"));
    // Enter moves on through the pages and closes the last one.
    m_next->setDefault(page < ClosingPage);
    m_cancel->setDefault(page == ClosingPage);
}

void WelcomeWizard::refreshGroups()
{
    const QString current = m_groups->currentItem() != nullptr ? m_groups->currentItem()->text() : QString();
    m_groups->clear();
    if (m_actions.groups) {
        m_groups->addItems(m_actions.groups());
    }
    const auto found = m_groups->findItems(current, Qt::MatchExactly);
    if (!current.isEmpty() && !found.isEmpty()) {
        m_groups->setCurrentItem(found.front());
    }
}

void WelcomeWizard::storeFields()
{
    m_settings.smtpServer = m_server->text().trimmed().toStdString();
    m_settings.emailAddress = m_email->text().trimmed().toStdString();
    m_settings.realName = m_name->text().trimmed().toStdString();
}

void WelcomeWizard::done(int result)
{
    if (!m_written) {
        m_written = true;
        settings::writeWelcomeSettings(m_paths, m_settings, m_server->text().trimmed().toStdString(),
                                       m_email->text().trimmed().toStdString(), m_name->text().trimmed().toStdString());
    }
    QDialog::done(result);
}

} // namespace tidecast::ui
