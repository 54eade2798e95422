#pragma once

// The tintwell program run as a user runs it; the test target defines TINTWELL_BINARY.

#include <string>
#include <utility>

#include <QProcess>
#include <QStringList>

namespace tintwell::test {

struct Outcome {
    int status = -1; ///< -1 when the program did not exit normally
    std::string out, err;
};

/// Runs the program to its end with `environment` changes: an empty value removes the variable.
inline Outcome runTintwell(const QStringList& arguments,
                           std::initializer_list<std::pair<QString, QString>> environment = {}) {
    auto env = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : environment) {
        if (value.isEmpty())
            env.remove(name);
        else
            env.insert(name, value);
    }
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(TINTWELL_BINARY, arguments);
    p.waitForFinished(30000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
}

} // namespace tintwell::test
