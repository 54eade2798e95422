#include "app/bus/application_bus_face.h"

#include "application_bus_adaptor.h"
#include "settings/app_state.h"
#include "watchers/app_exceptions_manager.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QLoggingCategory>
#include <QMetaClassInfo>
#include <QMetaProperty>

namespace tintwell::app {

Q_LOGGING_CATEGORY(lcBus, "tintwell.bus")

namespace {

constexpr auto kProperties = "org.freedesktop.DBus.Properties";

} // namespace

/// The object as exported: introspection from the interface description, calls answered by the face.
class ApplicationBusFace::BusObject final : public QDBusVirtualObject {
public:
    explicit BusObject(ApplicationBusFace& face) : face_(face) {}

    QString introspect(const QString&) const override {
        const QMetaObject& meta = ApplicationBusAdaptor::staticMetaObject;
        return meta.classInfo(meta.indexOfClassInfo("D-Bus Introspection")).value();
    }

    bool handleMessage(const QDBusMessage& call, const QDBusConnection& connection) override {
        const bool ours = call.interface() == bus::interface || call.interface().isEmpty();
        QDBusMessage reply;
        if (call.interface() == kProperties)
            reply = face_.answerProperties(call);
        else if (ours && call.member() == "ShowPopup" && call.signature().isEmpty())
            face_.ShowPopup();
        else if (ours && call.member() == "Reapply" && call.signature().isEmpty())
            face_.Reapply();
        else if (ours && call.member() == "RunAction" && call.signature() == "s")
            reply = call.createReply(face_.RunAction(call.arguments().at(0).toString()));
        else
            return false; // Qt answers: no such method
        connection.send(reply.type() == QDBusMessage::InvalidMessage ? call.createReply() : reply);
        return true;
    }

private:
    ApplicationBusFace& face_;
};

ApplicationBusFace::ApplicationBusFace(settings::AppState& state, watchers::AppExceptionsManager* exceptions,
                                       QObject* parent)
    : QObject(parent), object_(std::make_unique<BusObject>(*this)), state_(state), exceptions_(exceptions),
      bus_(QString()) {
    pending_.setSingleShot(true);
    pending_.setInterval(0);
    connect(&pending_, &QTimer::timeout, this, &ApplicationBusFace::announceChanges);
    const auto later = [this] { pending_.start(); };
    using S = settings::AppState;
    connect(&state_, &S::currentKelvinChanged, this, later);
    connect(&state_, &S::currentAltitudeChanged, this, later);
    connect(&state_, &S::pausedChanged, this, later);
    connect(&state_, &S::manualOverrideChanged, this, later);
    connect(&state_, &S::locationKnownChanged, this, later);
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
    if (!bus.registerVirtualObject(bus::objectPath, object_.get()))
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

bool ApplicationBusFace::locationNeeded() const {
    return !state_.locationKnown();
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

QDBusMessage ApplicationBusFace::answerProperties(const QDBusMessage& call) {
    const QVariantList args = call.arguments();
    const QString signature = call.signature();
    const auto invalid = [&](const QString& why) {
        return call.createErrorReply(QDBusError::InvalidArgs, why);
    };
    const bool getAll = call.member() == "GetAll", get = call.member() == "Get", set = call.member() == "Set";
    if ((getAll && signature != "s") || (get && signature != "ss") || (set && signature != "ssv"))
        return invalid(QString("%1 takes (%2), not (%3)")
                           .arg(call.member(),
                                getAll ? "s"
                                : get  ? "ss"
                                       : "ssv",
                                signature));
    if (!getAll && !get && !set)
        return call.createErrorReply(QDBusError::UnknownMethod, "no method " + call.member());
    const QString interface = args.at(0).toString();
    if (!interface.isEmpty() && interface != bus::interface)
        return call.createErrorReply(QDBusError::UnknownInterface, "no interface " + interface);
    if (getAll)
        return call.createReply(QVariant::fromValue(snapshot()));

    const QString name = args.at(1).toString();
    const QMetaObject* meta = metaObject();
    const int index = meta->indexOfProperty(name.toUtf8().constData());
    if (index < meta->propertyOffset())
        return call.createErrorReply(QDBusError::UnknownProperty, "no property " + name);
    const QMetaProperty property = meta->property(index);
    if (get)
        return call.createReply(QVariant::fromValue(QDBusVariant(property.read(this))));
    if (!property.isWritable())
        return call.createErrorReply(QDBusError::PropertyReadOnly, name + " is read-only");
    // Exactly the property's type: a string, a number or a container is not a boolean.
    const QVariant value = args.at(2).value<QDBusVariant>().variant();
    if (value.metaType() != property.metaType()) {
        qCInfo(lcBus).noquote() << "Refused a write of" << name << "that is not a"
                                << property.metaType().name();
        return invalid(QString("%1 takes a %2").arg(name, property.metaType().name()));
    }
    property.write(this, value);
    return call.createReply();
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
