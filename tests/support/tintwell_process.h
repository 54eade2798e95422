#pragma once

// The tintwell program run as a user runs it; the test target defines TINTWELL_BINARY.

#include "settings/app_state.h"
#include "settings/json_file_user_defaults.h"

#include <chrono>
#include <cmath>
#include <string>
#include <utility>

#include <QProcess>
#include <QStringList>

namespace tintwell::test {

struct Outcome {
    int status = -1; ///< -1 when the program did not exit normally
    std::string out, err;
};

using EnvironmentChanges = std::initializer_list<std::pair<QString, QString>>;

/// The system environment with `changes`: an empty value removes the variable.
inline QProcessEnvironment environmentWith(EnvironmentChanges changes) {
    auto env = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : changes) {
        if (value.isEmpty())
            env.remove(name);
        else
            env.insert(name, value);
    }
    return env;
}

/// Starts `program` in `environment`; whether it started.
inline bool launch(QProcess& p, const QStringList& arguments, const QProcessEnvironment& environment,
                   const QString& program = TINTWELL_BINARY) {
    p.setProcessEnvironment(environment);
    p.start(program, arguments);
    return p.waitForStarted(5000);
}

/// What a process that ended said.
inline Outcome outcomeOf(QProcess& p) {
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
}

/// Runs the program to its end in `environment`.
inline Outcome runTintwellIn(const QProcessEnvironment& environment, const QStringList& arguments) {
    QProcess p;
    launch(p, arguments, environment);
    p.waitForFinished(30000);
    return outcomeOf(p);
}

inline Outcome runTintwell(const QStringList& arguments, EnvironmentChanges environment = {}) {
    return runTintwellIn(environmentWith(environment), arguments);
}

/// Stores in the settings file at `path` a place on the equator where it is local solar midnight
/// now, typed in by the user; its longitude.
inline double storeMidnightPlace(const std::string& path) {
    const Instant now = instantFromSystemClock(std::chrono::system_clock::now());
    const double longitude = std::remainder(-std::fmod(secondsSinceEpoch(now), 86400.0) / 240.0, 360.0);
    settings::JsonFileUserDefaults defaults(path);
    settings::AppState state(defaults);
    state.setUseAutoLocation(false);
    state.setLatitude(0);
    state.setLongitude(longitude);
    return longitude;
}

} // namespace tintwell::test
