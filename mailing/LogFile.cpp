#include "mailing/LogFile.h"

#include <string>

namespace tidecast::mailing
{

LogFile::~LogFile()
{
    close();
}

bool LogFile::open(const std::filesystem::path& path)
{
    close();
    m_file = std::fopen(path.c_str(), "wb");
    return m_file != nullptr;
}

void LogFile::close()
{
    if (m_file != nullptr) {
        std::fclose(m_file);
        m_file = nullptr;
    }
}

void LogFile::writeLine(std::string_view line)
{
    if (m_file == nullptr) {
        return;
    }
    // One write per line: the line and its ending reach the file together or not at all.
    std::string buffer;
    buffer.reserve(line.size() + 2);
    buffer.append(line);
    buffer.append("\r\n");
    std::fwrite(buffer.data(), 1, buffer.size(), m_file);
    std::fflush(m_file);
}

} // namespace tidecast::mailing
