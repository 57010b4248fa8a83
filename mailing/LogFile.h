#pragma once

#include <filesystem>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace tidecast::mailing
{

// One log of a mailing: a text file written a line at a time, CR LF after each line, and handed
// to the operating system at once, so that a mailing that is killed leaves every line it wrote
// behind. Every write is checked: the first one that fails (a full disk, say) is remembered with
// its cause, and the file takes no more lines after it, so it never ends in half a line. Lines
// may be written from several threads at once.
class LogFile
{
public:
    // The system call that writes; replaceable so that a test can make the disk "fill up".
    using WriteFunction = std::function<ssize_t(int fd, const void* data, std::size_t size)>;

    LogFile() = default;
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    enum class Mode
    {
        Replace, // earlier contents go
        Append,  // lines are added after the earlier ones
    };

    // Opens for output. False when the file cannot be created.
    bool open(const std::filesystem::path& path, Mode mode = Mode::Replace);
    void close();
    bool isOpen() const { return m_fd >= 0; }

    // False when the line could not be written whole (or an earlier line could not).
    bool writeLine(std::string_view line);
    // The lines in one write: a mailing logs all the recipients of a message at once.
    bool writeLines(std::span<const std::string_view> lines);

    // Why the file stopped taking lines: "<file>: <cause>"; empty while every write succeeded.
    bool failed() const;
    std::string failure() const;
    int failureNumber() const;
    const std::filesystem::path& path() const { return m_path; }

    void setWriteFunction(WriteFunction write) { m_write = std::move(write); }

private:
    void fail(int error);
    bool writeWhole(std::string_view buffer);

    int m_fd = -1;
    std::filesystem::path m_path;
    std::string m_failure;
    int m_errno = 0;
    WriteFunction m_write;
    mutable std::mutex m_mutex; // around a line's write and the failure record
};

} // namespace tidecast::mailing
