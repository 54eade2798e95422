#include "ui/model/text_formats.h"

#include "platform/instant_date_time.h"

#include <cmath>

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

namespace tintwell::ui {

QString wholeNumber(double value) {
    const double r = std::round(value);
    return QString::number(r == 0 ? 0.0 : r, 'f', 0);
}

QString statusText(double kelvin, double altitudeDeg) {
    return QStringLiteral("%1 K · %2°").arg(wholeNumber(kelvin), QString::asprintf("%.1f", altitudeDeg));
}

QString locationSummary(double latitude, double longitude, bool automatic) {
    return QString::asprintf("%+.2f°, %+.2f° · ", latitude, longitude) +
           (automatic ? QStringLiteral("auto") : QStringLiteral("manual"));
}

std::optional<QString> lastFixCaption(std::optional<Instant> fixAt, Instant now) {
    if (!fixAt)
        return std::nullopt;
    const double e = secondsSinceEpoch(now) - secondsSinceEpoch(*fixAt);
    if (e < 2)
        return QStringLiteral("Updated just now");
    if (e < 60)
        return QStringLiteral("Updated %1s ago").arg(static_cast<long long>(std::floor(e)));
    const auto m = static_cast<long long>(std::floor(e / 60));
    if (m > 59)
        return std::nullopt;
    return QStringLiteral("Updated %1m ago").arg(m);
}

QString twilightSubtitle(std::optional<double> minutes) {
    if (!minutes)
        return QStringLiteral("around sunrise & sunset");
    const auto n = std::max<long long>(5, std::llround(*minutes / 5) * 5);
    return QStringLiteral("≈ %1 min around sunrise & sunset").arg(n);
}

QString shortTime(Instant instant) {
    // Some locales' short format still carries seconds; a time of day to the minute is what is meant.
    QString format = QLocale().timeFormat(QLocale::ShortFormat);
    format.remove(QRegularExpression(QStringLiteral("[:.]s+")));
    return QLocale().toString(platform::toDateTime(instant).toLocalTime().time(), format);
}

QString relativeTime(Instant until, Instant now) {
    const double delta = secondsSinceEpoch(until) - secondsSinceEpoch(now);
    const double span = std::abs(delta);
    struct Unit {
        double seconds;
        const char* one;
        const char* many;
    };
    static constexpr Unit units[] = {
        {86400, "day", "days"}, {3600, "hour", "hours"}, {60, "minute", "minutes"}, {1, "second", "seconds"}};
    long long count = 0;
    const Unit* unit = &units[3];
    for (const auto& u : units) {
        if (span >= u.seconds) {
            count = static_cast<long long>(std::floor(span / u.seconds));
            unit = &u;
            break;
        }
    }
    const QString amount =
        QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? unit->one : unit->many));
    return delta >= 0 ? QStringLiteral("in ") + amount : amount + QStringLiteral(" ago");
}

QString profileMenuTitle(const QString& name, bool dirty) {
    return dirty ? name + QStringLiteral(" •") : name;
}

} // namespace tintwell::ui
