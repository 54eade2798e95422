#include "app/bus/application_bus_face.h"

#include "application_bus_adaptor.h"
#include "settings/app_state.h"
#include "watchers/app_exceptions_manager.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QLoggingCategory>
#include <QMetaProperty>

namespace tintwell::app {

Q_LOGGING_CATEGORY(lcBus, "tintwell.bus")

ApplicationBusFace::ApplicationBusFace(settings::AppState& state, watchers::AppExceptionsManager* exceptions,
                                       QObject* parent)
    : QObject(parent), state_(state), exceptions_(exceptions), bus_(QString()) {
    new ApplicationBusAdaptor(this);
    pending_.setSingleShot(true);
    pending_.setInterval(0);
    connect(&pending_, &QTimer::timeout, this, &ApplicationBusFace::announceChanges);
    const auto later = [this] { pending_.start(); };
    using S = settings::AppState;
    connect(&state_, &S::currentKelvinChanged, this, later);
    connect(&state_, &S::currentAltitudeChanged, this, later);
    connect(&state_, &S::pausedChanged, this, later);
    connect(&state_, &S::manualOverrideChanged, this, later);
    connect(&state_, &S::activeProfileIdChanged, this, later);
    connect(&state_, &S::profilesChanged, this, later);
    if (exceptions_)
        connect(exceptions_, &watchers::AppExceptionsManager::activeOverrideChanged, this, later);
    announced_ = snapshot();
}

ApplicationBusFace::~ApplicationBusFace() {
    if (!registered_)
        return;
    bus_.unregisterObject(bus::objectPath);
    bus_.unregisterService(bus::service);
}

bool ApplicationBusFace::registerOn(QDBusConnection bus, QString* error) {
    const auto fail = [error](const QString& message) {
        if (error)
            *error = message;
        return false;
    };
    if (!bus.isConnected())
        return fail("no D-Bus session bus: " + bus.lastError().message());
    if (!bus.registerObject(bus::objectPath, this, QDBusConnection::ExportAdaptors))
        return fail(QString("cannot export %1 on the session bus").arg(bus::objectPath));
    // Another instance holding the name means this one must not answer for it; never queue or replace.
    const auto reply =
        bus.interface()->registerService(bus::service, QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        bus.unregisterObject(bus::objectPath);
        return fail(QString("the bus name %1 is taken").arg(bus::service));
    }
    bus_ = bus;
    registered_ = true;
    announced_ = snapshot();
    return true;
}

double ApplicationBusFace::currentKelvin() const {
    return state_.currentKelvin();
}

double ApplicationBusFace::currentAltitude() const {
    return state_.currentAltitude();
}

QString ApplicationBusFace::activeProfile() const {
    return QString::fromStdString(state_.activeProfileName());
}

QString ApplicationBusFace::activeException() const {
    if (!exceptions_ || !exceptions_->activeOverride())
        return {};
    return QString::fromStdString(exceptions_->activeOverride()->summary());
}

bool ApplicationBusFace::paused() const {
    return state_.paused();
}

void ApplicationBusFace::setPaused(bool paused) {
    qCInfo(lcBus) << "Paused set to" << paused << "over D-Bus";
    state_.setPaused(paused);
}

bool ApplicationBusFace::manualOverride() const {
    return state_.manualOverride();
}

void ApplicationBusFace::setManualOverride(bool on) {
    qCInfo(lcBus) << "ManualOverride set to" << on << "over D-Bus";
    state_.setManualOverride(on);
}

void ApplicationBusFace::ShowPopup() {
    qCInfo(lcBus) << "ShowPopup requested over D-Bus";
    Q_EMIT showPopupRequested();
}

void ApplicationBusFace::Reapply() {
    qCInfo(lcBus) << "Reapply requested over D-Bus";
    Q_EMIT reapplyRequested();
}

bool ApplicationBusFace::RunAction(const QString& name) {
    const bool known = runAction_ && runAction_(name);
    qCInfo(lcBus).noquote() << "Action" << name << "requested over D-Bus" << (known ? "" : "(unknown)");
    return known;
}

QVariantMap ApplicationBusFace::snapshot() const {
    QVariantMap values;
    const QMetaObject* meta = metaObject();
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
        values.insert(meta->property(i).name(), meta->property(i).read(this));
    return values;
}

void ApplicationBusFace::announceChanges() {
    const QVariantMap now = snapshot();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (announced_.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    announced_ = now;
    if (changed.isEmpty() || !registered_)
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(bus::objectPath, "org.freedesktop.DBus.Properties", "PropertiesChanged");
    signal << QString(bus::interface) << changed << QStringList();
    bus_.send(signal);
}

} // namespace tintwell::app
