#pragma once

#include <chrono>
#include <string>

namespace tidecast::store
{

// The local calendar date as YYYY-MM-DD: how "DateAdded" is stored.
std::string formatShortDate(std::chrono::system_clock::time_point at);

// The local date and time as YYYY-MM-DD HH:MM:SS, for lines a person reads in our files.
std::string formatGeneralDate(std::chrono::system_clock::time_point at);

} // namespace tidecast::store
