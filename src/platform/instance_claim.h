#pragma once

#include <optional>
#include <variant>

#include <QObject>
#include <QString>

#include <sys/types.h>

namespace tintwell::platform {

/// The right to be the one running application of a session. Whoever claimed it keeps it until
/// this object is destroyed or the process ends, however it ends. Main thread only.
class InstanceClaim : public QObject {
    Q_OBJECT
public:
    struct Claimed {};
    struct AlreadyRunning {
        std::optional<pid_t> pid; ///< the holder's, when it says
    };
    /// The claim could not be made or checked at all (one line, for the user).
    struct Failed {
        QString message;
    };
    using Result = std::variant<Claimed, AlreadyRunning, Failed>;

    using QObject::QObject;

    /// Claims the session, or says who holds it. Claiming again after a success succeeds.
    virtual Result tryClaim() = 0;

Q_SIGNALS:
    /// The connection to the display the claim lives on broke (the server went away).
    void displayConnectionLost();
    /// Another program took the claim over.
    void takenOver();
};

} // namespace tintwell::platform
