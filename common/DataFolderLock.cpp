#include "common/DataFolderLock.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tidecast
{

DataFolderLock::DataFolderLock(std::filesystem::path folder, std::string program)
    : m_folder(std::move(folder))
    , m_program(std::move(program))
{}

DataFolderLock::~DataFolderLock()
{
    unlock();
}

bool DataFolderLock::tryLock()
{
    if (m_fd >= 0) {
        return true;
    }
    m_holder = {};
    m_error.clear();
    std::error_code ignored;
    std::filesystem::create_directories(m_folder, ignored);
    const auto path = m_folder / kFileName;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        m_error = path.string() + ": " + std::strerror(errno);
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        char buffer[256] = {};
        const auto size = ::pread(fd, buffer, sizeof buffer - 1, 0);
        ::close(fd);
        if (error != EWOULDBLOCK) {
            m_error = path.string() + ": " + std::strerror(error);
            return false;
        }
        // "PID\nPROGRAM\n"
        const std::string text(buffer, size > 0 ? static_cast<std::size_t>(size) : 0);
        m_holder.pid = std::strtol(text.c_str(), nullptr, 10);
        if (const auto newline = text.find('\n'); newline != std::string::npos) {
            m_holder.program = text.substr(newline + 1, text.find('\n', newline + 1) - newline - 1);
        }
        return false;
    }
    const std::string content = std::to_string(::getpid()) + "\n" + m_program + "\n";
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, content.data(), content.size(), 0) < 0) {
        // The lock holds without the note; a second writer is still refused, only less precisely.
    }
    m_fd = fd;
    return true;
}

void DataFolderLock::unlock()
{
    if (m_fd >= 0) {
        if (::ftruncate(m_fd, 0) != 0) {
            // The note of the holder stays behind; the lock itself goes with the descriptor.
        }
        ::close(m_fd);
        m_fd = -1;
    }
}

std::string DataFolderLock::refusal() const
{
    if (!m_error.empty()) {
        return "Cannot lock the data folder: " + m_error;
    }
    std::string who = m_holder.program.empty() ? std::string("another program") : m_holder.program;
    if (m_holder.pid > 0) {
        who += " (process " + std::to_string(m_holder.pid) + ")";
    }
    return "The data folder " + m_folder.string() + " is in use by " + who;
}

} // namespace tidecast
