#include "app/single_instance.h"
#include "support/child_process.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>

using tintwell::app::SingleInstance;
using tintwell::test::inChild;

namespace {

struct SingleInstanceTest : ::testing::Test {
    QTemporaryDir dir;
    QString lock() const { return dir.filePath(QStringLiteral("tintwell.lock")); }
};

TEST_F(SingleInstanceTest, ASecondProcessIsRefusedWithTheFirstOnesPid) {
    SingleInstance first(lock());
    ASSERT_TRUE(std::holds_alternative<SingleInstance::Acquired>(first.tryAcquire()));
    const pid_t self = ::getpid();
    const int status = inChild([&] {
        SingleInstance second(lock());
        const auto result = second.tryAcquire();
        const auto* running = std::get_if<SingleInstance::AlreadyRunning>(&result);
        return running && running->pid == self ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
}

TEST_F(SingleInstanceTest, TheLockOfAProcessThatDiedIsFreeAgain) {
    const int status = inChild([&] {
        SingleInstance held(lock());
        const bool acquired = std::holds_alternative<SingleInstance::Acquired>(held.tryAcquire());
        ::_exit(acquired ? 0 : 1); // no destructor: the kernel has to drop the lock
        return 1;
    });
    ASSERT_EQ(status, 0);
    SingleInstance next(lock());
    EXPECT_TRUE(std::holds_alternative<SingleInstance::Acquired>(next.tryAcquire()));
}

TEST_F(SingleInstanceTest, ADirectoryOthersCanWriteIsNotTrusted) {
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    SingleInstance instance(lock());
    EXPECT_TRUE(std::holds_alternative<SingleInstance::Failed>(instance.tryAcquire()));
}

} // namespace
