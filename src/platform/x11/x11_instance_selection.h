#pragma once

#include <memory>
#include <optional>
#include <variant>

#include <QObject>
#include <QString>

#include <sys/types.h>

namespace tintwell::platform {

/// One running application per X display: the ICCCM manager-selection pattern, one selection per
/// screen named after the application id, owned by a window of a connection of its own. A second
/// instance on the same display is refused whatever its environment, and the claim ends with this
/// object, with the process, or with the X server. Main thread only.
class X11InstanceSelection final : public QObject {
    Q_OBJECT
public:
    struct Acquired {};
    struct AlreadyRunning {
        std::optional<pid_t> pid; ///< the owner's, when it says
    };
    /// The display could not be reached or asked (one line, for the user).
    struct Failed {
        QString message;
    };
    using Result = std::variant<Acquired, AlreadyRunning, Failed>;

    /// Connects to `$DISPLAY`; nothing happens until tryAcquire().
    explicit X11InstanceSelection(QObject* parent = nullptr);
    ~X11InstanceSelection() override;

    /// Claims every screen's selection, or says who holds them.
    Result tryAcquire();

    /// `_ORG_TINTWELL_TINTWELL_S<screen>` for the application id org.tintwell.Tintwell.
    static QString selectionName(int screen);

Q_SIGNALS:
    /// The connection to the X server broke (the server went away).
    void connectionLost();
    /// Another client took a selection over.
    void selectionLost();

private:
    struct Impl;
    void readEvents();

    std::unique_ptr<Impl> d;
};

} // namespace tintwell::platform
