#include "common/DataFolderLock.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace tidecast
{
namespace
{

TEST(DataFolderLock, OneHolderAtATimeAndNothingStaleAfterAKill)
{
    test::TempDir dir;
    DataFolderLock first(dir.path(), "tidecast-cli");
    DataFolderLock second(dir.path(), "tidecast");
    ASSERT_TRUE(first.tryLock());
    EXPECT_FALSE(second.tryLock());
    EXPECT_EQ(second.holder().pid, ::getpid());
    EXPECT_EQ(second.holder().program, "tidecast-cli");
    first.unlock();
    ASSERT_TRUE(second.tryLock());
    second.unlock();

    // A holder killed without a chance to let go leaves the folder free.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        DataFolderLock held(dir.path(), "tidecast-cli");
        const char byte = held.tryLock() ? 'y' : 'n';
        if (::write(ready[1], &byte, 1) == 1) {
            ::pause();
        }
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    EXPECT_EQ(byte, 'y');
    DataFolderLock waiting(dir.path(), "tidecast-cli");
    EXPECT_FALSE(waiting.tryLock());
    EXPECT_EQ(waiting.holder().pid, child);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(waiting.tryLock());
    ::close(ready[0]);
    ::close(ready[1]);
}

} // namespace
} // namespace tidecast
