#include "platform/linux/geoclue_location_services.h"

#include "core/application_id.h"
#include "platform/linux/location_logging.h"

#include <cmath>

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

namespace tintwell::platform {

Q_LOGGING_CATEGORY(lcLocationServices, "tintwell.location", QtInfoMsg)

namespace {

const QString service = QStringLiteral("org.freedesktop.GeoClue2");
const QString managerPath = QStringLiteral("/org/freedesktop/GeoClue2/Manager");
const QString managerInterface = QStringLiteral("org.freedesktop.GeoClue2.Manager");
const QString clientInterface = QStringLiteral("org.freedesktop.GeoClue2.Client");
const QString locationInterface = QStringLiteral("org.freedesktop.GeoClue2.Location");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
constexpr uint accuracyLevelCity = 4;

QDBusMessage clientPropertySet(const QString& path, const QString& name, const QVariant& value) {
    auto call = QDBusMessage::createMethodCall(service, path, propertiesInterface, "Set");
    call << clientInterface << name << QVariant::fromValue(QDBusVariant(value));
    return call;
}

} // namespace

GeoClueErrorMeaning interpretGeoClueError(const QDBusError& error, bool readingLocation) {
    const QString detail = error.message().isEmpty() ? error.name() : error.message();
    switch (error.type()) {
    case QDBusError::ServiceUnknown:
    case QDBusError::NoServer:
    case QDBusError::Disconnected:
    case QDBusError::NoNetwork:
    case QDBusError::NoMemory:
        return {std::nullopt, {LocationError::Kind::Unavailable, "GeoClue cannot be reached: " + detail}};
    case QDBusError::AccessDenied: {
        // GeoClue names a refusal by its configuration, or by the absence of any agent that could
        // ask the user, in its message; a user's "no" comes from the agent.
        const bool configured = detail.contains("configuration", Qt::CaseInsensitive) ||
                                detail.contains("disabled", Qt::CaseInsensitive) ||
                                detail.contains("no agent", Qt::CaseInsensitive);
        return {configured ? AuthorizationStatus::Restricted : AuthorizationStatus::Denied,
                {LocationError::Kind::Failed, "GeoClue refused: " + detail}};
    }
    case QDBusError::NoReply:
    case QDBusError::Timeout:
    case QDBusError::TimedOut:
        return {std::nullopt, {LocationError::Kind::Transient, "GeoClue is slow to answer: " + detail}};
    case QDBusError::UnknownObject:
        if (readingLocation)
            return {std::nullopt,
                    {LocationError::Kind::Transient, "GeoClue replaced its location before it was read."}};
        break;
    default:
        break;
    }
    return {std::nullopt, {LocationError::Kind::Failed, "GeoClue reported an error: " + detail}};
}

GeoClueLocationServices::GeoClueLocationServices(QDBusConnection bus, QObject* parent)
    : LocationServices(parent), bus_(std::move(bus)),
      serviceWatcher_(service, bus_, QDBusServiceWatcher::WatchForUnregistration) {
    connect(&serviceWatcher_, &QDBusServiceWatcher::serviceUnregistered, this,
            &GeoClueLocationServices::onServiceGone);
}

GeoClueLocationServices::~GeoClueLocationServices() {
    if (active_)
        stopUpdatingLocation();
}

void GeoClueLocationServices::requestWhenInUseAuthorization() {
    if (status_ == AuthorizationStatus::Denied || status_ == AuthorizationStatus::Restricted)
        status_ = AuthorizationStatus::AuthorizedAlways;
}

void GeoClueLocationServices::startUpdatingLocation() {
    if (active_)
        stopUpdatingLocation();
    ++attempt_;
    active_ = true;
    if (!bus_.isConnected()) {
        const QString why = bus_.lastError().isValid() ? bus_.lastError().message() : "not connected";
        report({LocationError::Kind::Unavailable, "GeoClue cannot be reached: no system bus (" + why + ")"});
        return;
    }
    send(QDBusMessage::createMethodCall(service, managerPath, managerInterface, "GetClient"),
         [this](const QDBusMessage& reply) { onClient(reply); });
}

void GeoClueLocationServices::onClient(const QDBusMessage& reply) {
    clientPath_ = reply.arguments().value(0).value<QDBusObjectPath>().path();
    subscribed_ = bus_.connect(service, clientPath_, clientInterface, "LocationUpdated", this,
                               SLOT(onLocationUpdated(QDBusObjectPath, QDBusObjectPath)));
    // The desktop id must be set before Start: GeoClue refuses a client that has none.
    send(clientPropertySet(clientPath_, "DesktopId", QString::fromLatin1(core::applicationId)),
         [this](const QDBusMessage&) {
             send(clientPropertySet(clientPath_, "RequestedAccuracyLevel",
                                    QVariant::fromValue(accuracyLevelCity)),
                  [this](const QDBusMessage&) {
                      send(QDBusMessage::createMethodCall(service, clientPath_, clientInterface, "Start"),
                           [](const QDBusMessage&) {});
                  });
         });
}

void GeoClueLocationServices::onLocationUpdated(const QDBusObjectPath&, const QDBusObjectPath& newPath) {
    if (!active_)
        return;
    auto call = QDBusMessage::createMethodCall(service, newPath.path(), propertiesInterface, "GetAll");
    call << locationInterface;
    send(
        call, [this](const QDBusMessage& reply) { onLocation(reply); }, true);
}

void GeoClueLocationServices::onLocation(const QDBusMessage& reply) {
    const QVariantMap properties = qdbus_cast<QVariantMap>(reply.arguments().value(0));
    bool latitudeOk = false, longitudeOk = false;
    Location location;
    location.latitude = properties.value("Latitude").toDouble(&latitudeOk);
    location.longitude = properties.value("Longitude").toDouble(&longitudeOk);
    if (!latitudeOk || !longitudeOk) {
        report({LocationError::Kind::Failed, "GeoClue gave a location without coordinates."});
        return;
    }
    // A place off the globe (NaN, infinite, 999) is an error of the source, never a place to keep.
    if (!(std::abs(location.latitude) <= 90) || !(std::abs(location.longitude) <= 180)) {
        report({LocationError::Kind::Failed, QString("GeoClue gave a location off the globe (%1, %2).")
                                                 .arg(location.latitude)
                                                 .arg(location.longitude)});
        return;
    }
    if (bool ok = false; properties.contains("Accuracy")) {
        const double meters = properties.value("Accuracy").toDouble(&ok);
        if (ok && meters >= 0)
            location.accuracyMeters = meters;
    }
    location.source = LocationSource::GeoClue;
    location.description = properties.value("Description").toString();
    if (auto* d = delegate())
        d->locationManagerDidUpdateLocations(*this, {location});
}

void GeoClueLocationServices::stopUpdatingLocation() {
    ++attempt_;
    if (!std::exchange(active_, false))
        return;
    unsubscribe();
    // Sent even while Start is still on its way: GeoClue handles one client's calls in order.
    if (!clientPath_.isEmpty())
        bus_.asyncCall(QDBusMessage::createMethodCall(service, clientPath_, clientInterface, "Stop"));
}

void GeoClueLocationServices::send(const QDBusMessage& call, ReplyHandler then, bool readingLocation) {
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, attempt = attempt_, then = std::move(then), readingLocation](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                if (attempt != attempt_ || !active_)
                    return;
                if (w->isError())
                    fail(w->error(), readingLocation);
                else
                    then(w->reply());
            });
}

void GeoClueLocationServices::fail(const QDBusError& error, bool readingLocation) {
    const GeoClueErrorMeaning meaning = interpretGeoClueError(error, readingLocation);
    qCInfo(lcLocationServices).noquote() << "GeoClue:" << error.name() << error.message();
    if (meaning.status) {
        // A refusal is an answer about permission, not an error of the attempt.
        ++attempt_;
        active_ = false;
        unsubscribe();
        status_ = *meaning.status;
        if (auto* d = delegate())
            d->locationManagerDidChangeAuthorization(*this);
        return;
    }
    report(meaning.error);
}

void GeoClueLocationServices::report(const LocationError& error) {
    if (error.kind != LocationError::Kind::Transient) {
        ++attempt_;
        active_ = false;
        unsubscribe();
    }
    if (auto* d = delegate())
        d->locationManagerDidFailWithError(*this, error);
}

void GeoClueLocationServices::unsubscribe() {
    if (!std::exchange(subscribed_, false))
        return;
    bus_.disconnect(service, clientPath_, clientInterface, "LocationUpdated", this,
                    SLOT(onLocationUpdated(QDBusObjectPath, QDBusObjectPath)));
}

void GeoClueLocationServices::onServiceGone() {
    const bool wasActive = active_;
    unsubscribe();
    clientPath_.clear(); // the client went with the service
    if (wasActive)
        report({LocationError::Kind::Failed, "GeoClue stopped before it found a location."});
}

} // namespace tintwell::platform
