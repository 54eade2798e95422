#include "platform/kde/kde_display_services.h"

#include "platform/kde/kwin_night_color_settings.h"

#include <cmath>
#include <mutex>

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QUuid>

namespace tintwell::platform {
namespace {

Q_LOGGING_CATEGORY(lcKde, "tintwell.displays", QtInfoMsg)

using ChangedKeys = QMap<QString, QList<QByteArray>>;

const QString kwinService = QStringLiteral("org.kde.KWin");
/// Plasma 6 and Plasma 5.27 names of the same night-light object.
const std::pair<QString, QString> nightLightObjects[] = {
    {QStringLiteral("/org/kde/KWin/NightLight"), QStringLiteral("org.kde.KWin.NightLight")},
    {QStringLiteral("/ColorCorrect"), QStringLiteral("org.kde.kwin.ColorCorrect")},
};
constexpr int kMinimumKelvin = 1000;
constexpr int kNeutralKelvin = 6500;

QString readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool writeFile(const QString& path, const QString& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(text.toUtf8());
    return file.commit();
}

} // namespace

struct KdeDisplayServices::Impl {
    Impl(const QDBusConnection& b, Options o) : bus(b), options(std::move(o)) {}

    QDBusConnection bus;
    Options options;
    std::mutex mutex; // guards the fields below
    std::optional<core::TransferTables> written;
    std::optional<int> pendingKelvin;     // asked for, not yet written
    std::optional<int> writtenKelvin;     // in KWin's settings now
    bool holding = false;                 // the user's group is saved and ours is in the file
    std::optional<QStringList> userGroup; // the group as the user had it; nothing: there was none
    QTimer* throttle = nullptr;           // main thread only

    /// Keeps the user's group before the first change: from the state file a crashed run left,
    /// else from kwinrc as it is now.
    void holdLocked() {
        if (holding)
            return;
        if (!options.stateFile.isEmpty() && QFile::exists(options.stateFile))
            userGroup = KWinNightColorSettings::group(readFile(options.stateFile));
        else {
            userGroup = KWinNightColorSettings::group(readFile(options.kwinrc));
            if (!options.stateFile.isEmpty())
                writeFile(options.stateFile,
                          userGroup ? KWinNightColorSettings::withGroup(QString(), userGroup) : QString());
        }
        holding = true;
    }

    bool writeGroupLocked(const std::optional<QStringList>& group) {
        const QString text = KWinNightColorSettings::withGroup(readFile(options.kwinrc), group);
        if (!writeFile(options.kwinrc, text)) {
            qCWarning(lcKde).noquote() << "Cannot write KWin's settings" << options.kwinrc;
            return false;
        }
        auto signal =
            QDBusMessage::createSignal(QStringLiteral("/kwinrc"), QStringLiteral("org.kde.kconfig.notify"),
                                       QStringLiteral("ConfigChanged"));
        ChangedKeys changed;
        changed.insert(QStringLiteral("NightColor"), {"Active", "Mode", "NightTemperature"});
        signal << QVariant::fromValue(changed);
        bus.send(signal);
        return true;
    }

    void writeKelvinLocked(int kelvin) {
        holdLocked();
        QStringList group = userGroup.value_or(QStringList());
        group = KWinNightColorSettings::withEntry(group, "Active", "true");
        group = KWinNightColorSettings::withEntry(group, "Mode", "Constant");
        group = KWinNightColorSettings::withEntry(group, "NightTemperature", QString::number(kelvin));
        if (writeGroupLocked(group))
            writtenKelvin = kelvin;
    }
};

KdeDisplayServices::Options KdeDisplayServices::defaultOptions() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty())
        state = QDir::homePath() + "/.local/state";
    return {config + "/kwinrc", state + "/tintwell/kwin-night-color.ini"};
}

std::unique_ptr<KdeDisplayServices> KdeDisplayServices::create(const QDBusConnection& bus,
                                                               const Options& options, QString* error) {
    qDBusRegisterMetaType<QList<QByteArray>>();
    qDBusRegisterMetaType<ChangedKeys>();
    for (const auto& [path, interface] : nightLightObjects) {
        auto get = QDBusMessage::createMethodCall(
            kwinService, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get << interface << QStringLiteral("available");
        const QDBusMessage reply = bus.call(get);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            continue;
        if (!reply.arguments().first().value<QDBusVariant>().variant().toBool()) {
            *error = QStringLiteral("KWin's night light is not available on this system.");
            return nullptr;
        }
        auto impl = std::make_unique<Impl>(bus, options);
        return std::unique_ptr<KdeDisplayServices>(new KdeDisplayServices(std::move(impl)));
    }
    *error = QStringLiteral("KWin's night light (org.kde.KWin) does not answer on the session bus.");
    return nullptr;
}

KdeDisplayServices::KdeDisplayServices(std::unique_ptr<Impl> impl) : d(std::move(impl)) {
    d->throttle = new QTimer(this);
    d->throttle->setSingleShot(true);
    d->throttle->setInterval(kWriteIntervalMs);
    connect(d->throttle, &QTimer::timeout, this, &KdeDisplayServices::flush);
}

KdeDisplayServices::~KdeDisplayServices() = default;

std::vector<DisplayId> KdeDisplayServices::onlineDisplays() {
    return {allDisplays};
}

std::optional<DisplayDescription> KdeDisplayServices::describe(DisplayId id) {
    if (id != allDisplays)
        return std::nullopt;
    DisplayDescription description;
    description.id = allDisplays;
    description.name = "All displays";
    description.isMain = true;
    description.key =
        QUuid::createUuidV5(QUuid("{0c3f8a52-6d1e-4b7a-9e25-7f4d1b6c8a91}"), QString("kwin-night-light"))
            .toString(QUuid::WithoutBraces)
            .toUpper()
            .toStdString();
    return description;
}

void KdeDisplayServices::setTransferTables(DisplayId id, const core::TransferTables& tables) {
    if (id != allDisplays)
        return;
    {
        std::lock_guard lock(d->mutex);
        d->written = tables;
        d->pendingKelvin = kelvinOf(tables);
    }
    // The first change goes out at once, later ones at most once a second: a ramp of ours becomes
    // a few steps that KWin smooths with its own.
    if (QThread::currentThread() == thread()) {
        if (!d->throttle->isActive())
            flush();
        return;
    }
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!d->throttle->isActive())
                flush();
        },
        Qt::QueuedConnection);
}

void KdeDisplayServices::flush() {
    std::lock_guard lock(d->mutex);
    if (!d->pendingKelvin)
        return;
    if (d->pendingKelvin != d->writtenKelvin)
        d->writeKelvinLocked(*d->pendingKelvin);
    d->pendingKelvin.reset();
    d->throttle->start();
}

std::optional<core::TransferTables> KdeDisplayServices::readTransferTables(DisplayId id) {
    std::lock_guard lock(d->mutex);
    return id == allDisplays ? d->written : std::nullopt;
}

void KdeDisplayServices::restoreSystemCalibration() {
    std::lock_guard lock(d->mutex);
    d->pendingKelvin.reset();
    d->written.reset();
    if (!d->holding)
        return;
    if (d->writeGroupLocked(d->userGroup)) {
        if (!d->options.stateFile.isEmpty())
            QFile::remove(d->options.stateFile);
        d->holding = false;
        d->writtenKelvin.reset();
    }
}

DisplayCapabilities KdeDisplayServices::capabilities() const {
    return {false, false, false,
            "KDE Plasma's night light takes one colour temperature for all displays, nothing more"};
}

int KdeDisplayServices::kelvinOf(const core::TransferTables& tables) {
    // Brightness scales the three channels alike, so their ratios at full input give the
    // temperature back: below 6600 K red is full and green follows ln(K/100); above it blue is full
    // and red falls as (K/100 - 60)^-0.1332.
    const double r = tables.r.back(), g = tables.g.back(), b = tables.b.back();
    double kelvin = kNeutralKelvin;
    if (r > 0 && r >= b)
        kelvin = 100.0 * std::exp((g / r * 255.0 + 161.1195681661) / 99.4708025861);
    else if (b > 0)
        kelvin = 100.0 * (60.0 + std::pow(r / b * 255.0 / 329.698727446, -1.0 / 0.1332047592));
    if (!std::isfinite(kelvin))
        return kNeutralKelvin;
    return std::clamp(static_cast<int>(std::lround(kelvin)), kMinimumKelvin, kNeutralKelvin);
}

} // namespace tintwell::platform
