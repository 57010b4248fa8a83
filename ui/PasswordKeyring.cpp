#include "ui/PasswordKeyring.h"

#include <QEventLoop>
#include <qt6keychain/keychain.h>

#include <utility>

namespace tidecast::ui
{
namespace
{

// Runs a keychain job to its end; the job reports through its finished signal.
template <typename Job> Result<void> runJob(Job& job)
{
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    if (job.error() != QKeychain::NoError) {
        return Error{ErrorCode::FileRead, job.errorString().toStdString()};
    }
    return {};
}

} // namespace

PasswordKeyring::PasswordKeyring(std::string service)
    : m_service(std::move(service))
{}

Result<std::string> PasswordKeyring::read(const std::string& account) const
{
    QKeychain::ReadPasswordJob job(QString::fromStdString(m_service));
    job.setAutoDelete(false);
    job.setKey(QString::fromStdString(account));
    if (auto done = runJob(job); !done) {
        if (job.error() == QKeychain::EntryNotFound) {
            return std::string();
        }
        return done.error();
    }
    return job.textData().toStdString();
}

Result<void> PasswordKeyring::write(const std::string& account, const std::string& secret) const
{
    QKeychain::WritePasswordJob job(QString::fromStdString(m_service));
    job.setAutoDelete(false);
    job.setKey(QString::fromStdString(account));
    job.setTextData(QString::fromStdString(secret));
    if (auto done = runJob(job); !done) {
        return Error{ErrorCode::FileWrite, done.error().detail};
    }
    return {};
}

Result<void> PasswordKeyring::keepPasswords(const settings::Settings& settings) const
{
    if (auto smtp = write(smtpAccount(settings), settings.smtpPassword); !smtp) {
        return smtp;
    }
    return write(pop3Account(settings), settings.pop3Password);
}

Result<void> PasswordKeyring::fillPasswords(settings::Settings& settings) const
{
    auto smtp = read(smtpAccount(settings));
    if (!smtp) {
        return smtp.error();
    }
    auto pop3 = read(pop3Account(settings));
    if (!pop3) {
        return pop3.error();
    }
    settings.smtpPassword = std::move(*smtp);
    settings.pop3Password = std::move(*pop3);
    return {};
}

std::string smtpAccount(const settings::Settings& settings)
{
    return "smtp://" + settings.smtpUsername + "@" + settings.smtpServer;
}

std::string pop3Account(const settings::Settings& settings)
{
    return "pop3://" + settings.pop3Username + "@" + settings.pop3Server;
}

} // namespace tidecast::ui
