#pragma once

#include <cstdio>
#include <filesystem>
#include <string_view>

namespace tidecast::mailing
{

// One log of a mailing: a text file written a line at a time, CR LF after each line, and handed
// to the operating system at once, so that a mailing that is killed leaves every line it wrote
// behind. Write errors are ignored: the mailing goes on without the log.
class LogFile
{
public:
    LogFile() = default;
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Opens for output, replacing earlier contents. False when the file cannot be created.
    bool open(const std::filesystem::path& path);
    void close();
    bool isOpen() const { return m_file != nullptr; }

    void writeLine(std::string_view line);

private:
    std::FILE* m_file = nullptr;
};

} // namespace tidecast::mailing
