#include "platform/linux/time_zone_location.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

namespace tintwell::platform {
namespace {

/// The part of a path after its last "zoneinfo/" and any "posix/" or "right/" tree inside it.
std::optional<QString> afterZoneinfo(const QString& path) {
    static const QRegularExpression inZoneinfo(R"(zoneinfo/(?:posix/|right/)?(.+)$)");
    const auto match = inZoneinfo.match(QDir::cleanPath(path));
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1);
}

/// Zone name → ISO 6709 coordinates from one table; empty when the file cannot be read.
QHash<QString, QString> readTable(const QString& path, QString* error) {
    QHash<QString, QString> rows;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = file.errorString();
        return rows;
    }
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QStringList columns = line.split('\t');
        if (columns.size() >= 3)
            rows.insert(columns[2], columns[1]);
    }
    return rows;
}

/// Link name → target from the database's "L TARGET LINK" lines.
QHash<QString, QString> readLinks(const QString& path) {
    QHash<QString, QString> links;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return links;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        if (!line.startsWith("L "))
            continue;
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() == 3)
            links.insert(QString::fromUtf8(fields[2]), QString::fromUtf8(fields[1]));
    }
    return links;
}

std::optional<double> degrees(QStringView digits, int degreeDigits) {
    // Degrees, minutes, and optionally seconds, each of fixed width.
    if (digits.size() != degreeDigits + 2 && digits.size() != degreeDigits + 4)
        return std::nullopt;
    bool ok[3] = {true, true, true};
    const double d = digits.left(degreeDigits).toInt(&ok[0]);
    const double m = digits.mid(degreeDigits, 2).toInt(&ok[1]);
    const double s = digits.size() > degreeDigits + 2 ? digits.mid(degreeDigits + 2).toInt(&ok[2]) : 0;
    if (!ok[0] || !ok[1] || !ok[2] || m >= 60 || s >= 60)
        return std::nullopt;
    return d + m / 60 + s / 3600;
}

LocationError failure(const QString& description) {
    return {LocationError::Kind::Failed, description};
}

} // namespace

std::optional<QString> zoneNameFromTz(const QString& tz) {
    QString name = tz.trimmed();
    if (name.startsWith(':'))
        name.remove(0, 1);
    if (name.isEmpty())
        return std::nullopt;
    if (name.startsWith('/'))
        return afterZoneinfo(name).value_or(name);
    return name;
}

std::optional<QString> zoneNameFromLink(const QString& path) {
    const QFileInfo link(path);
    if (!link.isSymLink())
        return std::nullopt;
    return afterZoneinfo(link.symLinkTarget());
}

std::optional<std::pair<double, double>> parseIso6709(const QString& text) {
    static const QRegularExpression pair(R"(^([+-])(\d+)([+-])(\d+)$)");
    const auto match = pair.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const auto latitude = degrees(match.capturedView(2), 2);
    const auto longitude = degrees(match.capturedView(4), 3);
    if (!latitude || !longitude || *latitude > 90 || *longitude > 180)
        return std::nullopt;
    return std::pair{match.captured(1) == "-" ? -*latitude : *latitude,
                     match.captured(3) == "-" ? -*longitude : *longitude};
}

std::variant<Location, LocationError> locationOfZone(const QString& zone, const QString& zoneinfoDirectory) {
    const QDir dir(zoneinfoDirectory);
    QString error;
    const QHash<QString, QString> principal = readTable(dir.filePath("zone1970.tab"), &error);
    if (principal.isEmpty())
        return failure(QString("Cannot read the time-zone table %1: %2")
                           .arg(dir.filePath("zone1970.tab"), error.isEmpty() ? "it lists no zone" : error));
    // zone.tab keeps a city for zones that zone1970.tab folds into a neighbour (Europe/Amsterdam).
    const QHash<QString, QString> perCountry = readTable(dir.filePath("zone.tab"), &error);
    const QHash<QString, QString> links = readLinks(dir.filePath("tzdata.zi"));

    QString name = zone;
    for (int hops = 0; hops < 8; ++hops) {
        const QString coordinates = principal.value(name, perCountry.value(name));
        if (!coordinates.isEmpty()) {
            const auto parsed = parseIso6709(coordinates);
            if (!parsed)
                return failure(QString("The time-zone table gives unreadable coordinates \"%1\" for %2.")
                                   .arg(coordinates, name));
            return Location{parsed->first, parsed->second, std::nullopt, LocationSource::TimeZone, zone};
        }
        if (!links.contains(name))
            break;
        name = links.value(name);
    }
    return failure(
        QString("The time zone \"%1\" has no principal city to estimate a location from.").arg(zone));
}

} // namespace tintwell::platform
