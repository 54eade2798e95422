#pragma once

#include "platform/display_services.h"
#include "platform/wayland/wayland_connection.h"

#include <map>
#include <memory>
#include <mutex>

#include <QObject>

struct wl_output;
struct zxdg_output_manager_v1;

namespace tintwell::platform {

/// What the compositor says about one output.
struct WaylandOutputInfo {
    DisplayId id = 0;        ///< the wl_output global's name: fresh for each connection of a monitor
    std::string name;        ///< connector, e.g. "DP-1" (wl_output v4)
    std::string description; ///< the compositor's human-readable text (v4)
    std::string make, model;
    Rect bounds;        ///< logical position and size (xdg-output), else the mode at the geometry's position
    bool ready = false; ///< every property arrived at least once
    bool operator==(const WaylandOutputInfo&) const = default;
};

/// The outputs of a Wayland connection, followed as they come and go: `wl_output` (v4 name and
/// description) and `zxdg_output_manager_v1` for the logical layout.
///
/// Snapshots may be taken from any thread; the wl objects live on the main thread.
class WaylandOutputs final : public QObject {
    Q_OBJECT
public:
    explicit WaylandOutputs(std::shared_ptr<WaylandConnection> connection, QObject* parent = nullptr);
    ~WaylandOutputs() override;

    /// The ready outputs, in the order the compositor announced them.
    std::vector<WaylandOutputInfo> outputs() const;
    std::optional<WaylandOutputInfo> output(DisplayId id) const;
    /// The output object of a display, for requests that name it (main thread); nullptr when gone.
    wl_output* handle(DisplayId id) const;
    /// The display an output object belongs to (main thread); nothing when unknown.
    std::optional<DisplayId> idOf(const wl_output* output) const;

    /// The stable key of each output: a name-based UUID of make and model, with the connector
    /// added when another output has the same make and model (two monitors of one model).
    static std::string displayKey(const WaylandOutputInfo& output, bool shared);
    /// The name shown to people: the model when it says something, else the connector.
    static std::string displayName(const WaylandOutputInfo& output);

Q_SIGNALS:
    /// An output became ready, changed or went away; emitted on the main thread.
    void outputsChanged();
    /// A new output became ready (after outputsChanged).
    void outputAdded(tintwell::platform::DisplayId id);
    /// An output went away (before outputsChanged).
    void outputRemoved(tintwell::platform::DisplayId id);

public:
    struct Output; ///< one output's objects and what they said (internal)

private:
    void add(const WaylandGlobal& global);
    void remove(std::uint32_t name);
    void attachXdg(Output& output);
    void done(Output& output);

    std::shared_ptr<WaylandConnection> connection_;
    zxdg_output_manager_v1* xdgManager_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<Output>> outputs_;
};

} // namespace tintwell::platform
