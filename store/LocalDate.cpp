#include "store/LocalDate.h"

#include <ctime>

namespace tidecast::store
{

namespace
{

std::string formatLocal(std::chrono::system_clock::time_point at, const char* format)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(at);
    std::tm local{};
    localtime_r(&seconds, &local);
    char buffer[32] = {};
    const auto length = std::strftime(buffer, sizeof buffer, format, &local);
    return std::string(buffer, length);
}

} // namespace

std::string formatShortDate(std::chrono::system_clock::time_point at)
{
    return formatLocal(at, "%Y-%m-%d");
}

std::string formatGeneralDate(std::chrono::system_clock::time_point at)
{
    return formatLocal(at, "%Y-%m-%d %H:%M:%S");
}

} // namespace tidecast::store
