#include "platform/portal/portal_hot_key_service.h"

#include "core/application_id.h"
#include "platform/portal/portal_key_names.h"

#include <algorithm>

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QStringList>
#include <QTimer>

Q_LOGGING_CATEGORY(lcPortalHotKeys, "tintwell.hotkeys", QtInfoMsg)

namespace tintwell::platform {
namespace {

constexpr char kService[] = "org.freedesktop.portal.Desktop";
constexpr char kPath[] = "/org/freedesktop/portal/desktop";
constexpr char kInterface[] = "org.freedesktop.portal.GlobalShortcuts";
constexpr char kRequest[] = "org.freedesktop.portal.Request";
constexpr char kSession[] = "org.freedesktop.portal.Session";

using Shortcuts = QList<std::pair<QString, QVariantMap>>;

QString token() {
    return QString("tintwell_%1").arg(QRandomGenerator::global()->generate());
}

/// Where the portal puts the Request or Session named `token` of this connection.
QString handlePath(const QDBusConnection& bus, const char* kind, const QString& token) {
    QString sender = bus.baseService().mid(1);
    sender.replace('.', '_');
    return QString("%1/%2/%3/%4").arg(kPath, kind, sender, token);
}

QString outcome(unsigned response) {
    return response == 1 ? "cancelled by the user" : "ended by the desktop";
}

QString triggers(const std::vector<KeyCombination>& combinations) {
    QStringList names;
    for (const KeyCombination& c : combinations)
        names << QString::fromStdString(portal::xdgTrigger(c).value_or(portal::shortcutId(c)));
    return names.join(", ");
}

} // namespace

std::unique_ptr<PortalHotKeyService> PortalHotKeyService::create(const QDBusConnection& bus, int timeoutMs,
                                                                 QObject* parent) {
    if (!bus.isConnected())
        return nullptr;
    // Unsandboxed programs name themselves before their first portal call (xdg-desktop-portal 1.19
    // and later; older ones answer an error nobody waits for). Without an id, CreateSession fails.
    auto registration =
        QDBusMessage::createMethodCall(kService, kPath, "org.freedesktop.host.portal.Registry", "Register");
    registration << QString(core::applicationId) << QVariantMap{};
    bus.send(registration);
    auto get = QDBusMessage::createMethodCall(kService, kPath, "org.freedesktop.DBus.Properties", "Get");
    get << QString(kInterface) << QString("version");
    const QDBusMessage reply = bus.call(get, QDBus::Block, timeoutMs);
    const unsigned version = reply.arguments().value(0).value<QDBusVariant>().variant().toUInt();
    if (reply.type() != QDBusMessage::ReplyMessage || version == 0) {
        qCInfo(lcPortalHotKeys).noquote()
            << "No global shortcuts portal:"
            << (reply.errorMessage().isEmpty() ? "version 0" : reply.errorMessage());
        return nullptr;
    }
    return std::unique_ptr<PortalHotKeyService>(new PortalHotKeyService(bus, version, parent));
}

PortalHotKeyService::PortalHotKeyService(const QDBusConnection& bus, unsigned version, QObject* parent)
    : HotKeyService(parent), bus_(bus), version_(version) {
    qDBusRegisterMetaType<std::pair<QString, QVariantMap>>();
    qDBusRegisterMetaType<Shortcuts>();
    bus_.connect(kService, kPath, kInterface, "Activated", this,
                 SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    bus_.connect(kService, kPath, kInterface, "Deactivated", this,
                 SLOT(onDeactivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
}

PortalHotKeyService::~PortalHotKeyService() {
    if (!requestPath_.isEmpty())
        bus_.send(QDBusMessage::createMethodCall(kService, requestPath_, kRequest, "Close"));
    closeSession();
}

HotKeyResult PortalHotKeyService::registerHotKey(const KeyCombination& combination) {
    if (std::ranges::find(registered_, combination) == registered_.end()) {
        registered_.push_back(combination);
        scheduleSync();
    }
    return {};
}

void PortalHotKeyService::unregisterHotKey(const KeyCombination& combination) {
    if (std::erase(registered_, combination))
        scheduleSync();
}

void PortalHotKeyService::suspend() {
    suspended_ = true;
    scheduleSync();
}

std::vector<std::pair<KeyCombination, HotKeyResult>> PortalHotKeyService::resume() {
    suspended_ = false;
    scheduleSync();
    return {};
}

bool PortalHotKeyService::isReservedBySystem(const KeyCombination&) {
    return false;
}

std::optional<KeyCombination> PortalHotKeyService::combinationForNativeKey(std::uint32_t nativeKeyCode,
                                                                           std::uint32_t nativeModifiers) {
    return portal::combinationForKeycode(nativeKeyCode, nativeModifiers);
}

void PortalHotKeyService::scheduleSync() {
    if (syncScheduled_)
        return;
    syncScheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        syncScheduled_ = false;
        sync();
    });
}

void PortalHotKeyService::sync() {
    // The answer to the request under way decides what follows; it calls again.
    if (!requestPath_.isEmpty())
        return;
    const std::vector<KeyCombination> wanted = suspended_ ? std::vector<KeyCombination>{} : registered_;
    // A refused set is asked for again only once it changes: no dialog comes back by itself.
    if (wanted == asked_)
        return;
    closeSession();
    asked_ = wanted;
    if (!asked_.empty())
        createSession();
}

void PortalHotKeyService::createSession() {
    request("CreateSession", {}, [this](unsigned response, const QVariantMap& results) {
        if (response != 0) {
            qCWarning(lcPortalHotKeys).noquote()
                << "The desktop portal opened no global shortcuts session:" << outcome(response);
            return;
        }
        const QVariant handle = results.value("session_handle");
        session_ = handle.metaType() == QMetaType::fromType<QDBusObjectPath>()
                       ? handle.value<QDBusObjectPath>().path()
                       : handle.toString();
        bus_.connect(kService, session_, kSession, "Closed", this, SLOT(onSessionClosed(QVariantMap)));
        bindShortcuts();
    });
}

void PortalHotKeyService::bindShortcuts() {
    Shortcuts shortcuts;
    for (const KeyCombination& c : asked_) {
        const auto trigger = portal::xdgTrigger(c);
        const std::string said = describer_ ? describer_(c) : std::string();
        QVariantMap details{
            {"description",
             QString::fromStdString(!said.empty() ? said : trigger.value_or(portal::shortcutId(c)))}};
        if (trigger)
            details.insert("preferred_trigger", QString::fromStdString(*trigger));
        shortcuts.append({QString::fromStdString(portal::shortcutId(c)), details});
    }
    const QVariantList arguments{QVariant::fromValue(QDBusObjectPath(session_)),
                                 QVariant::fromValue(shortcuts), QString()};
    request("BindShortcuts", arguments, [this](unsigned response, const QVariantMap& results) {
        std::vector<KeyCombination> refused = asked_;
        if (response == 0)
            for (const auto& shortcut : qdbus_cast<Shortcuts>(results.value("shortcuts"))) {
                const std::string id = shortcut.first.toStdString();
                std::erase_if(refused, [&](const KeyCombination& c) { return portal::shortcutId(c) == id; });
            }
        if (refused.empty())
            return;
        qCWarning(lcPortalHotKeys).noquote()
            << QString("The desktop did not bind the hotkeys %1: %2")
                   .arg(triggers(refused),
                        response == 0 ? QString("it bound only the others") : outcome(response));
    });
}

void PortalHotKeyService::closeSession() {
    if (session_.isEmpty())
        return;
    bus_.disconnect(kService, session_, kSession, "Closed", this, SLOT(onSessionClosed(QVariantMap)));
    bus_.send(QDBusMessage::createMethodCall(kService, session_, kSession, "Close"));
    session_.clear();
}

void PortalHotKeyService::request(const QString& method, QVariantList arguments, ResponseHandler handler) {
    const QString handleToken = token();
    QVariantMap options{{"handle_token", handleToken}};
    if (method == "CreateSession")
        options.insert("session_handle_token", token());
    // Listening before the call: the Response may come before the call's reply.
    requestPath_ = handlePath(bus_, "request", handleToken);
    watchRequest(requestPath_, true);
    pending_ = std::move(handler);
    auto call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call.setArguments(arguments << options);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, method, expected = requestPath_](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                const QDBusPendingReply<QDBusObjectPath> reply = *w;
                if (expected != requestPath_) // answered already, or given up
                    return;
                if (reply.isError()) {
                    qCWarning(lcPortalHotKeys).noquote()
                        << QString("The desktop portal's %1 failed: %2").arg(method, reply.error().message());
                    finishRequest();
                } else if (reply.value().path() != expected) {
                    // A portal older than the handle tokens chose the path itself.
                    watchRequest(expected, false);
                    requestPath_ = reply.value().path();
                    watchRequest(requestPath_, true);
                }
            });
}

void PortalHotKeyService::watchRequest(const QString& path, bool watch) {
    const char* slot = SLOT(onResponse(uint, QVariantMap, QDBusMessage));
    if (watch)
        bus_.connect(kService, path, kRequest, "Response", this, slot);
    else
        bus_.disconnect(kService, path, kRequest, "Response", this, slot);
}

void PortalHotKeyService::finishRequest() {
    watchRequest(requestPath_, false);
    requestPath_.clear();
    pending_ = nullptr;
    scheduleSync();
}

void PortalHotKeyService::onResponse(uint response, const QVariantMap& results, const QDBusMessage& message) {
    if (message.path() != requestPath_)
        return;
    const ResponseHandler handler = std::move(pending_);
    watchRequest(requestPath_, false);
    requestPath_.clear();
    handler(response, results);
    if (requestPath_.isEmpty())
        scheduleSync();
}

const KeyCombination* PortalHotKeyService::askedFor(const QDBusObjectPath& session, const QString& id) const {
    if (session.path() != session_ || session_.isEmpty())
        return nullptr;
    const auto it = std::ranges::find_if(
        asked_, [&](const KeyCombination& c) { return portal::shortcutId(c) == id.toStdString(); });
    return it == asked_.end() ? nullptr : &*it;
}

void PortalHotKeyService::onActivated(const QDBusObjectPath& session, const QString& id, qulonglong,
                                      const QVariantMap&) {
    if (const KeyCombination* c = askedFor(session, id))
        Q_EMIT hotKeyPressed(*c);
}

void PortalHotKeyService::onDeactivated(const QDBusObjectPath& session, const QString& id, qulonglong,
                                        const QVariantMap&) {
    if (const KeyCombination* c = askedFor(session, id))
        Q_EMIT hotKeyReleased(*c);
}

void PortalHotKeyService::onSessionClosed(const QVariantMap&) {
    bus_.disconnect(kService, session_, kSession, "Closed", this, SLOT(onSessionClosed(QVariantMap)));
    session_.clear();
    qCWarning(lcPortalHotKeys) << "The desktop portal closed the global shortcuts session; the hotkeys are "
                                  "bound again at their next change.";
}

} // namespace tintwell::platform
