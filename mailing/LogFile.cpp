#include "mailing/LogFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace tidecast::mailing
{

LogFile::~LogFile()
{
    close();
}

bool LogFile::open(const std::filesystem::path& path, Mode mode)
{
    close();
    m_path = path;
    m_failure.clear();
    m_errno = 0;
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (mode == Mode::Append ? O_APPEND : O_TRUNC), 0644);
    if (m_fd < 0) {
        fail(errno);
        return false;
    }
    return true;
}

void LogFile::close()
{
    if (m_fd >= 0) {
        if (::close(m_fd) != 0 && m_failure.empty()) {
            fail(errno);
        }
        m_fd = -1;
    }
}

void LogFile::fail(int error)
{
    m_errno = error;
    m_failure = m_path.string() + ": " + std::strerror(error);
}

bool LogFile::failed() const
{
    std::lock_guard lock(m_mutex);
    return !m_failure.empty();
}

std::string LogFile::failure() const
{
    std::lock_guard lock(m_mutex);
    return m_failure;
}

int LogFile::failureNumber() const
{
    std::lock_guard lock(m_mutex);
    return m_errno;
}

bool LogFile::writeLine(std::string_view line)
{
    std::string buffer;
    buffer.reserve(line.size() + 2);
    buffer.append(line);
    buffer.append("\r\n");
    std::lock_guard lock(m_mutex);
    return writeWhole(buffer);
}

bool LogFile::writeLines(std::span<const std::string_view> lines)
{
    std::string buffer;
    for (const auto line : lines) {
        buffer.append(line);
        buffer.append("\r\n");
    }
    std::lock_guard lock(m_mutex);
    return writeWhole(buffer);
}

bool LogFile::writeWhole(std::string_view buffer)
{
    if (m_fd < 0 || !m_failure.empty()) {
        return false;
    }
    // One write for the lines: each line and its ending reach the file together. A write cut
    // short (the disk filled up in the middle) keeps the whole lines it wrote and takes back the
    // rest, so the file never ends in half a line.
    std::size_t done = 0;
    while (done < buffer.size()) {
        const ssize_t written = m_write ? m_write(m_fd, buffer.data() + done, buffer.size() - done)
                                        : ::write(m_fd, buffer.data() + done, buffer.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            fail(written < 0 ? errno : ENOSPC);
            // Only this process writes the file, so the lines began `done` bytes back. Asked only
            // now: a seek for every line cost a system call per line of a million-line log.
            const auto lastEnd = buffer.substr(0, done).rfind("\r\n");
            const std::size_t kept = lastEnd == std::string_view::npos ? 0 : lastEnd + 2;
            const off_t end = done > kept ? ::lseek(m_fd, 0, SEEK_CUR) : -1;
            const off_t start = end - static_cast<off_t>(done - kept);
            if (end >= 0 && start >= 0 && ::ftruncate(m_fd, start) == 0) {
                (void)::lseek(m_fd, start, SEEK_SET);
            }
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace tidecast::mailing
