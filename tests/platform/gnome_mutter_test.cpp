// The GNOME display services against mutter itself: `scripts/test-session --wm mutter` runs it as
// the compositor of the test X server, serving DisplayConfig over the server's RandR CRTCs, so what
// mutter does with the tables can be read straight from RandR.

#include "platform/gamma_ramp.h"
#include "platform/gnome/gnome_display_services.h"
#include "support/event_loop.h"
#include "support/x11_session.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

#include <gtest/gtest.h>

using namespace tintwell;
using namespace tintwell::platform;

TEST(GnomeOnMutter, TablesReachTheCrtcsAsRandRWritesThemAndGoBack) {
    test::application();
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.interface() || !bus.interface()->isServiceRegistered("org.gnome.Mutter.DisplayConfig"))
        GTEST_SKIP() << "needs mutter (scripts/test-session --wm mutter)";
    QString error;
    auto services = GnomeDisplayServices::create(bus, &error);
    ASSERT_TRUE(services) << error.toStdString();
    test::X11Session x;
    const auto ids = services->onlineDisplays();
    ASSERT_FALSE(ids.empty());
    std::vector<test::Ramp> before;
    for (const DisplayId id : ids)
        before.push_back(x.readRamp(x.crtcOf(services->describe(id)->name)));

    const auto tables = core::ColorTemperature::gammaRamp(3400, 0.8, 1.2);
    for (const DisplayId id : ids)
        services->setTransferTables(id, tables);
    for (const DisplayId id : ids) {
        const test::Ramp shown = x.readRamp(x.crtcOf(services->describe(id)->name));
        EXPECT_EQ(shown.r, toHardwareRamp(tables.r, 256));
        EXPECT_EQ(shown.b, toHardwareRamp(tables.b, 256));
    }
    services->restoreSystemCalibration();
    for (std::size_t i = 0; i < ids.size(); ++i)
        EXPECT_EQ(x.readRamp(x.crtcOf(services->describe(ids[i])->name)), before[i]);
}
