#pragma once

#include <filesystem>
#include <string>

namespace tidecast
{

// Who holds a data folder.
struct LockHolder
{
    long pid = 0;        // 0 when the holder could not be read
    std::string program; // "tidecast" (the desktop) or "tidecast-cli"
};

// One writer per data folder: the desktop and every command of tidecast-cli that writes take
// this lock before they touch the folder and keep it until they end. It is an advisory lock
// (flock) on "tidecast.lock" in the folder, which also names the holder's process id and
// program; the system drops it when the holder ends, however it ends, so a killed writer never
// leaves a stale lock behind.
class DataFolderLock
{
public:
    static constexpr const char* kFileName = "tidecast.lock";

    DataFolderLock(std::filesystem::path folder, std::string program);
    ~DataFolderLock();
    DataFolderLock(const DataFolderLock&) = delete;
    DataFolderLock& operator=(const DataFolderLock&) = delete;

    // Takes the lock without waiting. False when another writer holds it (see holder()) or the
    // lock file cannot be made (see refusal()).
    bool tryLock();
    bool isLocked() const { return m_fd >= 0; }
    void unlock();

    const LockHolder& holder() const { return m_holder; }
    // Why tryLock() failed, for a message: "The data folder DIR is in use by PROGRAM (process PID)".
    std::string refusal() const;

private:
    std::filesystem::path m_folder;
    std::string m_program;
    int m_fd = -1;
    LockHolder m_holder;
    std::string m_error;
};

} // namespace tidecast
