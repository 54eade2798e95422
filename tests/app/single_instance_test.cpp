// One running application per session, through the claim both backends give: the X selection on
// the test X server and the lock file where there is no display.

#include "platform/instance_claim.h"
#include "platform/linux/lock_file_instance_claim.h"
#include "platform/x11/x11_instance_selection.h"
#include "support/child_process.h"
#include "support/event_loop.h"

#include <memory>

#include <QSignalSpy>
#include <QTemporaryDir>

#include <xcb/xcb.h>

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tintwell;
using platform::InstanceClaim;

namespace {

// The X selection's refusal and release run end to end in the calibration tests; its takeover only
// here, below.
TEST(LockFileInstanceClaimTest, ASecondClaimIsRefusedWithTheHoldersPidUntilTheHolderLetsGo) {
    QTemporaryDir dir;
    const auto make = [&] {
        return std::make_unique<platform::LockFileInstanceClaim>(dir.filePath("tintwell.lock"));
    };
    auto first = make();
    ASSERT_TRUE(std::holds_alternative<InstanceClaim::Claimed>(first->tryClaim()));
    EXPECT_TRUE(std::holds_alternative<InstanceClaim::Claimed>(first->tryClaim())) << "claiming again";

    const auto refused = make()->tryClaim();
    const auto* running = std::get_if<InstanceClaim::AlreadyRunning>(&refused);
    ASSERT_TRUE(running);
    EXPECT_EQ(running->pid, ::getpid());

    first.reset();
    EXPECT_TRUE(std::holds_alternative<InstanceClaim::Claimed>(make()->tryClaim()));
}

TEST(LockFileInstanceClaimTest, TheLockOfAProcessThatDiedIsFreeAgain) {
    QTemporaryDir dir;
    const QString lock = dir.filePath("tintwell.lock");
    const int status = test::inChild([&] {
        platform::LockFileInstanceClaim held(lock);
        const bool claimed = std::holds_alternative<InstanceClaim::Claimed>(held.tryClaim());
        ::_exit(claimed ? 0 : 1); // no destructor: the kernel has to drop the lock
        return 1;
    });
    ASSERT_EQ(status, 0);
    platform::LockFileInstanceClaim next(lock);
    EXPECT_TRUE(std::holds_alternative<InstanceClaim::Claimed>(next.tryClaim()));
}

TEST(LockFileInstanceClaimTest, ADirectoryOthersCanWriteIsNotTrusted) {
    QTemporaryDir dir;
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    platform::LockFileInstanceClaim claim(dir.filePath("tintwell.lock"));
    EXPECT_TRUE(std::holds_alternative<InstanceClaim::Failed>(claim.tryClaim()));
}

TEST(X11InstanceSelectionTest, AnotherClientTakingTheSelectionOverIsNoticed) {
    test::application();
    platform::X11InstanceSelection claim;
    ASSERT_TRUE(std::holds_alternative<InstanceClaim::Claimed>(claim.tryClaim()));
    QSignalSpy takenOver(&claim, &InstanceClaim::takenOver);

    xcb_connection_t* other = xcb_connect(nullptr, nullptr);
    ASSERT_FALSE(xcb_connection_has_error(other));
    const QByteArray name = platform::X11InstanceSelection::selectionName(0).toLatin1();
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        other, xcb_intern_atom(other, 0, std::uint16_t(name.size()), name.data()), nullptr);
    const xcb_window_t window = xcb_generate_id(other);
    xcb_create_window(other, XCB_COPY_FROM_PARENT, window,
                      xcb_setup_roots_iterator(xcb_get_setup(other)).data->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_set_selection_owner(other, window, atom->atom, XCB_CURRENT_TIME);
    xcb_flush(other);
    std::free(atom);

    EXPECT_TRUE(test::spinUntil([&] { return takenOver.count() == 1; }));
    xcb_disconnect(other);
}

} // namespace
