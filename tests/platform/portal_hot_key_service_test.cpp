// The portal hot keys against a GlobalShortcuts portal of the test's own on a private bus: it
// records what is bound, answers each bind with the response it is told, and presses keys.

#include "platform/portal/portal_hot_key_service.h"
#include "platform/portal/portal_key_names.h"
#include "support/private_bus.h"

#include <mutex>

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QSignalSpy>
#include <QThread>

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

using namespace tintwell;
using namespace tintwell::platform;
using Shortcuts = QList<std::pair<QString, QVariantMap>>;

namespace {

constexpr char kPath[] = "/org/freedesktop/portal/desktop";

class FakePortal final : public QDBusVirtualObject {
public:
    explicit FakePortal(const test::PrivateBus& bus) : bus_(bus.connect("portal")) {
        (qDBusRegisterMetaType<std::pair<QString, QVariantMap>>(), qDBusRegisterMetaType<Shortcuts>());
        bus_.registerService("org.freedesktop.portal.Desktop");
        bus_.registerVirtualObject(kPath, this, QDBusConnection::SubPath);
        moveToThread(&thread_);
        thread_.start();
    }
    ~FakePortal() override {
        bus_.unregisterObject(kPath);
        thread_.quit();
        thread_.wait();
        QDBusConnection::disconnectFromBus("portal");
    }
    template <typename F>
    auto locked(F f) {
        std::lock_guard lock(mutex_);
        return f();
    }
    unsigned bindAnswer = 0; // guarded, like the rest, by locked()
    std::vector<Shortcuts> binds;
    QString session;
    int closed = 0;

    /// A press (or release) of the shortcut `id` in the session opened last.
    void press(const QString& id, bool down = true) {
        auto signal = QDBusMessage::createSignal(kPath, "org.freedesktop.portal.GlobalShortcuts",
                                                 down ? "Activated" : "Deactivated");
        signal << QVariant::fromValue(QDBusObjectPath(locked([&] { return session; }))) << id << qulonglong(1)
               << QVariantMap{};
        bus_.send(signal);
    }
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        std::lock_guard lock(mutex_);
        const QVariantList args = message.arguments();
        const QString member = message.member();
        if (member == "Get") // the version
            return bus_.send(message.createReply(QVariant::fromValue(QDBusVariant(1u))));
        if (member == "Close")
            return ++closed, bus_.send(message.createReply());
        if (member != "CreateSession" && member != "BindShortcuts")
            return bus_.send(message.createErrorReply("org.freedesktop.DBus.Error.UnknownMethod", member));
        const QVariantMap options = qdbus_cast<QVariantMap>(args.last());
        const QString sender = message.service().mid(1).replace('.', '_');
        const QString request =
            QString("%1/request/%2/%3").arg(kPath, sender, options["handle_token"].toString());
        bus_.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        auto response = QDBusMessage::createSignal(request, "org.freedesktop.portal.Request", "Response");
        if (member == "CreateSession") {
            session =
                QString("%1/session/%2/%3").arg(kPath, sender, options["session_handle_token"].toString());
            response << 0u << QVariantMap{{"session_handle", session}};
        } else {
            binds.push_back(qdbus_cast<Shortcuts>(args.value(1)));
            response << bindAnswer << QVariantMap{{"shortcuts", QVariant::fromValue(binds.back())}};
        }
        return bus_.send(response);
    }

private:
    std::mutex mutex_;
    QDBusConnection bus_;
    QThread thread_;
};

QStringList gLog;
void collect(QtMsgType, const QMessageLogContext&, const QString& text) {
    gLog << text;
}

const KeyCombination ctrlAltP{vk::p, modifier::control | modifier::option};
const KeyCombination superShiftUp{vk::upArrow, modifier::command | modifier::shift};
const KeyCombination f9{vk::f9, 0};

TEST(PortalHotKeyService, BindsEachCombinationTellsPressesAndRefusalsAndLetsGoWhileSuspended) {
    test::PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty());
    FakePortal fake(bus);
    auto service = PortalHotKeyService::create(bus.connect("app"));
    ASSERT_TRUE(service);
    service->setDescriber([](const KeyCombination& c) { return c == ctrlAltP ? "Warmer" : ""; });
    const QtMessageHandler previous = qInstallMessageHandler(collect);
    const auto binds = [&] { return fake.locked([&] { return fake.binds.size(); }); };
    QSignalSpy pressed(service.get(), &HotKeyService::hotKeyPressed);
    const struct {
        KeyCombination combination;
        unsigned answer;
        QString id, trigger, description, logged;
    } rows[] = {
        {ctrlAltP, 0, "ctrl-alt-p", "CTRL+ALT+p", "Warmer", {}},
        {superShiftUp, 1, "shift-logo-up", "SHIFT+LOGO+Up", "SHIFT+LOGO+Up",
         "The desktop did not bind the hotkeys SHIFT+LOGO+Up: cancelled by the user"},
        {f9, 2, "f9", "F9", "F9", "The desktop did not bind the hotkeys F9: ended by the desktop"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.trigger.toStdString());
        const std::size_t before = binds();
        fake.locked([&] { fake.bindAnswer = row.answer; });
        for (const KeyCombination& c : {ctrlAltP, superShiftUp, f9})
            service->unregisterHotKey(c);
        EXPECT_TRUE(service->registerHotKey(row.combination).ok());
        ASSERT_TRUE(test::spinUntil([&] { return binds() > before; }));
        const Shortcuts bound = fake.locked([&] { return fake.binds.back(); });
        ASSERT_EQ(bound.size(), 1);
        EXPECT_EQ(bound[0].first, row.id);
        EXPECT_EQ(bound[0].second.value("preferred_trigger"), row.trigger);
        EXPECT_EQ(bound[0].second.value("description"), row.description);
        if (!row.logged.isEmpty()) {
            EXPECT_TRUE(test::spinUntil([&] { return gLog.contains(row.logged); }));
            continue;
        }
        fake.press("someone-else");
        fake.press(row.id);
        ASSERT_TRUE(test::spinUntil([&] { return pressed.count() == 1; }));
        EXPECT_EQ(pressed.takeFirst()[0].value<KeyCombination>(), row.combination);
    }
    qInstallMessageHandler(previous);

    // A change binds the whole set in a new session; a suspend closes it, a resume binds it again.
    QSignalSpy released(service.get(), &HotKeyService::hotKeyReleased);
    fake.locked([&] { fake.bindAnswer = 0; });
    service->registerHotKey(ctrlAltP);
    ASSERT_TRUE(test::spinUntil([&] { return fake.locked([&] { return fake.binds.back().size(); }) == 2; }));
    const int closed = fake.locked([&] { return fake.closed; });
    service->suspend();
    ASSERT_TRUE(test::spinUntil([&] { return fake.locked([&] { return fake.closed; }) == closed + 1; }));
    fake.press("f9"); // the closed session's: the key is the focused window's now
    const std::size_t before = binds();
    EXPECT_TRUE(service->resume().empty());
    ASSERT_TRUE(test::spinUntil([&] { return binds() == before + 1; }));
    fake.press("f9");
    fake.press("f9", false);
    ASSERT_TRUE(test::spinUntil([&] { return released.count() == 1; }));
    EXPECT_EQ(pressed.count(), 1);
    service.reset();
    QDBusConnection::disconnectFromBus("app");
}

TEST(PortalHotKeyService, ReadsTheKeyEventsOfAWaylandClient) {
    const struct {
        std::uint32_t keycode, mask; // XKB: kernel code + 8; Shift 1, Control 4, Mod1 8, Mod2 16, Mod4 64
        std::optional<KeyCombination> expected;
    } rows[] = {
        {KEY_P + 8, 4 | 8 | 16, ctrlAltP}, // NumLock on changes nothing
        {KEY_UP + 8, 1 | 64, superShiftUp},
        {KEY_F9 + 8, 0, f9},
        {KEY_LEFTSHIFT + 8, 1, std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(portal::combinationForKeycode(row.keycode, row.mask), row.expected) << row.keycode;
}

} // namespace
