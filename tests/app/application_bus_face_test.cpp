// The application's face on a private message bus, read and driven from a second connection as a
// panel widget would.

#include "app/bus/application_bus_face.h"
#include "settings/app_state.h"
#include "settings/user_defaults.h"
#include "support/event_loop.h"
#include "support/private_bus.h"
#include "watchers/app_exceptions_manager.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace tintwell;
using test::spinUntil;

namespace {

using namespace std::chrono_literals;

class BusFaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::application();
        ASSERT_FALSE(bus_.address().isEmpty()) << "dbus-daemon is missing";
        ASSERT_TRUE(connection("service").isConnected() && connection("client").isConnected());
        exceptions.setDebounceInterval(0s);
        ASSERT_TRUE(face.registerOn(connection("service"), nullptr));
    }
    void TearDown() override {
        for (const char* name : {"service", "client", "other"})
            QDBusConnection::disconnectFromBus(name);
    }

    QDBusConnection connection(const QString& name) { return bus_.connect(name); }
    /// Calls from the client while this thread keeps serving the face.
    QDBusMessage call(const QString& interface, const QString& member, const QVariantList& args = {}) {
        auto message =
            QDBusMessage::createMethodCall(app::bus::service, app::bus::objectPath, interface, member);
        message.setArguments(args);
        QDBusPendingCall pending = connection("client").asyncCall(message);
        EXPECT_TRUE(spinUntil([&] { return pending.isFinished(); }));
        return pending.reply();
    }
    QVariantMap getAll() {
        const auto reply = call("org.freedesktop.DBus.Properties", "GetAll", {QString(app::bus::interface)});
        return reply.arguments().isEmpty() ? QVariantMap{} : qdbus_cast<QVariantMap>(reply.arguments().at(0));
    }
    QDBusMessage set(const QString& property, bool value) {
        return call("org.freedesktop.DBus.Properties", "Set",
                    {QString(app::bus::interface), property, QVariant::fromValue(QDBusVariant(value))});
    }

    settings::InMemoryUserDefaults defaults;
    settings::AppState state{defaults};
    watchers::AppExceptionsManager exceptions{[this] { return state.appExceptions(); }, nullptr};
    app::ApplicationBusFace face{state, &exceptions};

private:
    test::PrivateBus bus_;
};

TEST_F(BusFaceTest, AClientReadsTheLiveValuesAndSetsPauseAndManualOverride) {
    state.setCurrentKelvin(4200);
    state.setCurrentAltitude(-4.5);
    state.setAppExceptions({{"org.example.Editor", "Editor", core::ForceKelvin{4500}, true}});
    exceptions.setFrontmost("org.example.Editor");
    const QVariantMap values = getAll();
    EXPECT_EQ(values.value("CurrentKelvin"), 4200.0);
    EXPECT_EQ(values.value("CurrentAltitude"), -4.5);
    EXPECT_EQ(values.value("ActiveProfile"), "Custom");
    EXPECT_EQ(values.value("ActiveException"), "Editor — 4500 K");
    EXPECT_EQ(values.value("Paused"), false);

    EXPECT_EQ(set("Paused", true).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(set("ManualOverride", true).type(), QDBusMessage::ReplyMessage);
    EXPECT_TRUE(state.paused());
    EXPECT_TRUE(state.manualOverride());
    EXPECT_EQ(set("CurrentKelvin", true).type(), QDBusMessage::ErrorMessage); // read-only
    EXPECT_EQ(state.currentKelvin(), 4200);

    // Nothing but a boolean is taken, nor a call of another shape.
    state.setPaused(false);
    state.setManualOverride(false);
    const QString iface = app::bus::interface;
    const auto in = [](const QVariant& v) { return QVariant::fromValue(QDBusVariant(v)); };
    const QVariantList wrong[] = {
        {iface, "Paused", in(QString("no"))},
        {iface, "Paused", in(1)},
        {iface, "ManualOverride", in(qQNaN())},
        {iface, "ManualOverride", in(4294967295u)},
        {iface, "Paused", in(QStringList{"1"})},
        {iface, "Paused", true},
        {iface, "Paused"},
        {iface, "Paused", in(true), in(true)},
    };
    for (const QVariantList& args : wrong) {
        const QDBusMessage reply = call("org.freedesktop.DBus.Properties", "Set", args);
        EXPECT_EQ(reply.errorName(), "org.freedesktop.DBus.Error.InvalidArgs")
            << reply.errorMessage().toStdString();
    }
    EXPECT_FALSE(state.paused());
    EXPECT_FALSE(state.manualOverride());
}

TEST_F(BusFaceTest, ASecondFaceFindsTheNameTakenAndRequestsReachTheApplication) {
    app::ApplicationBusFace second(state, nullptr);
    QString error;
    EXPECT_FALSE(second.registerOn(connection("other"), &error));
    EXPECT_EQ(error, "the bus name org.tintwell.Tintwell is taken");

    QSignalSpy popup(&face, &app::ApplicationBusFace::showPopupRequested);
    QSignalSpy reapply(&face, &app::ApplicationBusFace::reapplyRequested);
    EXPECT_EQ(call(app::bus::interface, "ShowPopup").type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(call(app::bus::interface, "Reapply").type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(popup.count(), 1);
    EXPECT_EQ(reapply.count(), 1);
}

} // namespace
