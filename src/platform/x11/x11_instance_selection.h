#pragma once

#include "platform/instance_claim.h"

#include <memory>

namespace tintwell::platform {

/// One running application per X display: the ICCCM manager-selection pattern, one selection per
/// screen named after the application id, owned by a window of a connection of its own. A second
/// instance on the same display is refused whatever its environment, and the claim ends with this
/// object, with the process, or with the X server. Main thread only.
/// Emits displayConnectionLost() when the server goes away and takenOver() when another client
/// claims a selection.
class X11InstanceSelection final : public InstanceClaim {
    Q_OBJECT
public:
    /// Connects to `$DISPLAY`; nothing happens until tryClaim().
    explicit X11InstanceSelection(QObject* parent = nullptr);
    ~X11InstanceSelection() override;

    /// Claims every screen's selection, or says who holds them.
    Result tryClaim() override;

    /// `_ORG_TINTWELL_TINTWELL_S<screen>` for the application id org.tintwell.Tintwell.
    static QString selectionName(int screen);

private:
    struct Impl;
    void readEvents();

    std::unique_ptr<Impl> d;
};

} // namespace tintwell::platform
