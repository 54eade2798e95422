#pragma once

// Driving the test session's windows as a user would, through xdotool.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace tintwell::test {

/// The ids of the visible windows of process `pid` (a tray icon is one of them).
inline QStringList visibleWindows(qint64 pid) {
    QProcess p;
    p.start("xdotool", {"search", "--onlyvisible", "--pid", QString::number(pid)});
    p.waitForFinished(5000);
    return QString::fromLatin1(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

inline bool xdotool(const QStringList& arguments) {
    return QProcess::execute("xdotool", arguments) == 0;
}

} // namespace tintwell::test
