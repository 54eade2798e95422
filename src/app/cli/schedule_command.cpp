#include "app/cli/schedule_command.h"

#include "app/cli/user_settings.h"
#include "platform/instant_date_time.h"
#include "ui/model/text_formats.h"

#include <iomanip>

#include <nlohmann/json.hpp>

namespace tintwell::app {
namespace {

QDateTime local(const ui::DaySchedule& day, Instant t) {
    return platform::toDateTime(t).toTimeZone(day.input.zone);
}

std::string isoLocal(const ui::DaySchedule& day, Instant t) {
    return local(day, t).toString(Qt::ISODate).toStdString();
}

/// A time of day as the table shows it; on a day the clocks change, with the zone's abbreviation,
/// since one hour is missing or shown twice.
std::string clockTime(const ui::DaySchedule& day, Instant t, bool seconds) {
    QString text = local(day, t).toString(seconds ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm"));
    if (day.lengthHours() != 24)
        text += QLatin1Char(' ') + day.input.zone.abbreviation(local(day, t));
    return text.toStdString();
}

const char* sunlightKey(ui::Sunlight s) {
    switch (s) {
    case ui::Sunlight::PolarDay:
        return "polarDay";
    case ui::Sunlight::PolarNight:
        return "polarNight";
    case ui::Sunlight::RisesAndSets:
        break;
    }
    return "risesAndSets";
}

} // namespace

void printSchedule(const ui::DaySchedule& day, bool json, std::ostream& out) {
    const ui::DayScheduleInput& in = day.input;
    const QString sentence = ui::sunlightSentence(day.sunlight);
    if (json) {
        nlohmann::ordered_json j = {{"date", in.date.toString(Qt::ISODate).toStdString()},
                                    {"timeZone", in.zone.id().toStdString()},
                                    {"hours", day.lengthHours()},
                                    {"latitude", in.latitude},
                                    {"longitude", in.longitude},
                                    {"dayKelvin", in.dayKelvin},
                                    {"nightKelvin", in.nightKelvin},
                                    {"transitionWidthDeg", in.transitionWidthDeg},
                                    {"sunlight", sunlightKey(day.sunlight)}};
        if (!sentence.isEmpty())
            j["message"] = sentence.toStdString();
        if (in.pin)
            j["pinned"] = {{"kelvin", in.pin->kelvin},
                           {"from", isoLocal(day, in.pin->from)},
                           {"until", in.pin->until ? nlohmann::ordered_json(isoLocal(day, *in.pin->until))
                                                   : nlohmann::ordered_json(nullptr)}};
        nlohmann::ordered_json events = nlohmann::ordered_json::array();
        for (const auto& e : day.events)
            events.push_back(
                {{"event", ui::dayEventKey(e.kind).toStdString()}, {"time", isoLocal(day, e.at)}});
        j["events"] = events;
        nlohmann::ordered_json table = nlohmann::ordered_json::array();
        for (const auto& s : day.samples)
            table.push_back({{"time", isoLocal(day, s.at)}, {"kelvin", s.kelvin}, {"altitude", s.altitude}});
        j["kelvin"] = table;
        out << j.dump(2) << '\n';
        return;
    }

    out << "Schedule for " << in.date.toString(Qt::ISODate).toStdString() << " ("
        << in.zone.id().toStdString() << ", " << day.lengthHours() << " hours) at " << std::fixed
        << std::setprecision(4) << in.latitude << ", " << in.longitude << '\n';
    out << "Day " << ui::wholeNumber(in.dayKelvin).toStdString() << " K, night "
        << ui::wholeNumber(in.nightKelvin).toStdString() << " K, twilight " << std::setprecision(1)
        << in.transitionWidthDeg << "°\n";
    if (!sentence.isEmpty())
        out << sentence.toStdString() << '\n';
    if (in.pin)
        out << "Pinned at " << ui::wholeNumber(in.pin->kelvin).toStdString() << " K from "
            << clockTime(day, in.pin->from, false)
            << (in.pin->until ? " until " + clockTime(day, *in.pin->until, false) : std::string(" on"))
            << '\n';
    if (!day.changes())
        out << "The tint stays at " << ui::wholeNumber(day.samples.front().kelvin).toStdString()
            << " K all day.\n";
    out << '\n';
    for (const auto& e : day.events)
        out << std::left << std::setw(24) << ui::dayEventName(e.kind).toStdString()
            << clockTime(day, e.at, true) << '\n';
    if (!day.events.empty())
        out << '\n';
    out << "Time   Kelvin  Altitude\n";
    for (std::size_t i = 0; i < day.samples.size(); i += 6) {
        const auto& s = day.samples[i];
        out << std::left << std::setw(7) << clockTime(day, s.at, false) << std::right << std::setw(6)
            << ui::wholeNumber(s.kelvin).toStdString() << "  " << std::setw(7) << std::setprecision(1)
            << std::showpos << s.altitude << std::noshowpos << "°\n";
    }
}

int runSchedule(const CommandLine& cl, std::ostream& out) {
    const SettingsLook look(cl);
    const Instant now = instantFromSystemClock(std::chrono::system_clock::now());
    const QDate date = cl.date.value_or(platform::toDateTime(now).toLocalTime().date());
    printSchedule(
        ui::sampleDay(ui::dayScheduleInput(look.state, look.state.globalDisplaySettings(), date, now)),
        cl.json, out);
    return 0;
}

} // namespace tintwell::app
