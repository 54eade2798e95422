#pragma once

#include "app/bus/bus_names.h"

#include <functional>
#include <memory>

#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QVariantMap>

namespace tintwell::settings {
class AppState;
}
namespace tintwell::watchers {
class AppExceptionsManager;
}

namespace tintwell::app {

/// The running application as seen on the session bus (for panel widgets, status bars and a second
/// launch): live values read-only, pause and manual override read-write, and two requests. What is
/// exported is data/org.tintwell.Tintwell.xml, through the adaptor generated from it; the adaptor
/// reads and writes the properties below by name and calls the slots of the same names.
///
/// Calls are answered by hand rather than by Qt's property machinery, which converts whatever a
/// client writes ("no" to true); a write of the wrong type is refused with InvalidArgs.
///
/// A change is announced with PropertiesChanged on the next event-loop pass after the settings or the
/// exception in force changed, once per pass and only for values that differ from the last announced.
class ApplicationBusFace : public QObject {
    Q_OBJECT
    Q_PROPERTY(double CurrentKelvin READ currentKelvin)
    Q_PROPERTY(double CurrentAltitude READ currentAltitude)
    Q_PROPERTY(QString ActiveProfile READ activeProfile)
    Q_PROPERTY(QString ActiveException READ activeException)
    Q_PROPERTY(bool Paused READ paused WRITE setPaused)
    Q_PROPERTY(bool ManualOverride READ manualOverride WRITE setManualOverride)
    Q_PROPERTY(bool LocationNeeded READ locationNeeded)
    Q_PROPERTY(QString Backend READ backend)

public:
    /// `exceptions` may be null (no exception is then ever reported).
    ApplicationBusFace(settings::AppState& state, watchers::AppExceptionsManager* exceptions,
                       QObject* parent = nullptr);
    ~ApplicationBusFace() override;

    /// Exports the object and claims the well-known name on `bus`. False with one line in `error`
    /// when the bus is unreachable or the name is taken.
    bool registerOn(QDBusConnection bus, QString* error);

    double currentKelvin() const;   ///< Kelvin of the curve in force
    double currentAltitude() const; ///< degrees
    QString activeProfile() const;  ///< the active profile's name, or "Custom"
    /// "Editor — 4500 K" or "Editor — paused"; empty when no exception is in force.
    QString activeException() const;
    bool paused() const;
    void setPaused(bool paused);
    bool manualOverride() const;
    void setManualOverride(bool on);
    /// No place known yet: nothing is tinted.
    bool locationNeeded() const;
    /// The display backend's name, as `--backend` takes it; set once at start.
    QString backend() const { return backend_; }
    void setBackend(const QString& name) { backend_ = name; }
    /// What RunAction calls; without one every name is unknown.
    void setActionRunner(std::function<bool(const QString&)> runner) { runAction_ = std::move(runner); }

public Q_SLOTS:
    void ShowPopup();
    void Reapply();
    bool RunAction(const QString& name);

Q_SIGNALS:
    /// A client (a second launch, a panel widget) asked for the popup.
    void showPopupRequested();
    /// A client asked for every display's tables to be written again.
    void reapplyRequested();

private:
    class BusObject;
    friend class BusObject;

    QVariantMap snapshot() const;
    /// The answer to a call of org.freedesktop.DBus.Properties.
    QDBusMessage answerProperties(const QDBusMessage& call);
    void announceChanges();

    std::unique_ptr<BusObject> object_;
    settings::AppState& state_;
    QPointer<watchers::AppExceptionsManager> exceptions_;
    QDBusConnection bus_;
    bool registered_ = false;
    QVariantMap announced_;
    QTimer pending_;
    QString backend_;
    std::function<bool(const QString&)> runAction_;
};

} // namespace tintwell::app
