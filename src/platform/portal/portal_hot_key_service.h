#pragma once

#include "platform/hot_key_service.h"

#include <functional>
#include <memory>
#include <vector>

#include <QDBusConnection>
#include <QVariantMap>

class QDBusMessage;
class QDBusObjectPath;

namespace tintwell::platform {

/// Hot keys through the desktop portal's `org.freedesktop.portal.GlobalShortcuts`, where no client
/// may grab keys (Wayland): the desktop binds them, and tells of each press.
///
/// The portal lets a session bind its shortcuts once, so every change of the set (and a resume)
/// closes the session and opens one that binds the whole set; a suspend closes it, which hands the
/// keys back to whatever window has the focus. Changes within one turn of the event loop are bound
/// together. Ids come from the combination alone, so a desktop that remembers a program's
/// shortcuts (KDE does) takes returning ones without asking its user again. What the desktop
/// refuses is known only later: `registerHotKey` succeeds, and a refusal is logged in one line.
/// Main thread only.
class PortalHotKeyService final : public HotKeyService {
    Q_OBJECT
public:
    /// The service when the portal on `bus` offers GlobalShortcuts, asked with one call that waits
    /// at most `timeoutMs`; nothing (and one log line) otherwise. `bus` should be a connection of
    /// its own: the application id is registered on it before any other portal call.
    static std::unique_ptr<PortalHotKeyService> create(const QDBusConnection& bus, int timeoutMs = 500,
                                                       QObject* parent = nullptr);
    ~PortalHotKeyService() override;

    HotKeyResult registerHotKey(const KeyCombination& combination) override;
    void unregisterHotKey(const KeyCombination& combination) override;
    void suspend() override;
    std::vector<std::pair<KeyCombination, HotKeyResult>> resume() override;
    /// The desktop decides when it binds: nothing is known beforehand.
    bool isReservedBySystem(const KeyCombination& combination) override;
    /// From the XKB keycode and modifier mask a Wayland client's key events carry.
    std::optional<KeyCombination> combinationForNativeKey(std::uint32_t nativeKeyCode,
                                                          std::uint32_t nativeModifiers) override;
    void setDescriber(Describer describer) override { describer_ = std::move(describer); }

    /// The interface version the portal announced (1: no ConfigureShortcuts).
    unsigned version() const { return version_; }

private:
    using ResponseHandler = std::function<void(unsigned response, const QVariantMap& results)>;

    PortalHotKeyService(const QDBusConnection& bus, unsigned version, QObject* parent);

    void scheduleSync();
    void sync();
    void createSession();
    void bindShortcuts();
    void closeSession();
    /// Calls `method` of GlobalShortcuts with `arguments` and options carrying a fresh handle
    /// token; `handler` gets the Response of its Request. One request at a time.
    void request(const QString& method, QVariantList arguments, ResponseHandler handler);
    void finishRequest();
    void watchRequest(const QString& path, bool watch);
    const KeyCombination* askedFor(const QDBusObjectPath& session, const QString& id) const;

private Q_SLOTS:
    void onResponse(uint response, const QVariantMap& results, const QDBusMessage& message);
    void onActivated(const QDBusObjectPath& session, const QString& id, qulonglong timestamp,
                     const QVariantMap& options);
    void onDeactivated(const QDBusObjectPath& session, const QString& id, qulonglong timestamp,
                       const QVariantMap& options);
    void onSessionClosed(const QVariantMap& details);

private:
    QDBusConnection bus_;
    unsigned version_;
    std::vector<KeyCombination> registered_;
    /// What the current session was asked to bind (or the last attempt, when it failed).
    std::vector<KeyCombination> asked_;
    QString session_;     ///< the open session's object path; empty when none
    QString requestPath_; ///< the Request awaiting its Response; empty when none
    ResponseHandler pending_;
    bool suspended_ = false;
    bool syncScheduled_ = false;
    Describer describer_;
};

} // namespace tintwell::platform
