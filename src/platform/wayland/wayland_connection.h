#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QObject>
#include <QString>

struct wl_display;
struct wl_registry;
class QSocketNotifier;

namespace tintwell::platform {

/// One global object the compositor announces.
struct WaylandGlobal {
    std::uint32_t name = 0;
    std::string interface;
    std::uint32_t version = 0;
};

/// Whether `$WAYLAND_DISPLAY` names a compositor that answers and announces `interface`: one short
/// connection of its own, usable before any Qt object exists.
bool waylandCompositorOffers(const char* interface);

/// A private client connection to the Wayland compositor, read on the main thread through the Qt
/// event loop: a socket notifier reads and dispatches whatever arrived, and pending requests are
/// flushed before the loop sleeps, so nothing here ever blocks the UI thread after `open()`.
///
/// Requests may be sent from any thread (libwayland serialises them); events are dispatched on the
/// main thread only, which is where every listener of this backend runs.
class WaylandConnection final : public QObject {
    Q_OBJECT
public:
    /// Connects to `$WAYLAND_DISPLAY` and learns the globals (one round trip). On failure returns
    /// nothing and sets `error` to one line for the user. Main thread only.
    static std::shared_ptr<WaylandConnection> open(QString* error);
    ~WaylandConnection() override;

    wl_display* display() const { return display_; }
    wl_registry* registry() const { return registry_; }
    /// The globals announced so far and not withdrawn, in announcement order.
    const std::vector<WaylandGlobal>& globals() const { return globals_; }
    /// The first global of `interface`, or nullptr.
    const WaylandGlobal* find(const std::string& interface) const;
    /// Waits for the compositor to answer everything sent so far (and dispatches). For start-up.
    bool roundtrip();
    /// Sends what is queued; callable from any thread.
    void flush();
    /// The socket or `$WAYLAND_DISPLAY` this connection went to, for messages.
    QString name() const { return name_; }

Q_SIGNALS:
    /// A global appeared or went away; emitted on the main thread while events are dispatched.
    void globalAdded(const tintwell::platform::WaylandGlobal& global);
    void globalRemoved(std::uint32_t name);
    /// The compositor closed the connection or reported a protocol error (once).
    void connectionLost();

private:
    WaylandConnection() = default;
    void readEvents();
    void checkError();

    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
    std::vector<WaylandGlobal> globals_;
    QString name_;
    bool lost_ = false;
};

} // namespace tintwell::platform
