#include "settings/autostart_entry.h"

#include "core/application_id.h"
#include "settings/file_io.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace tintwell::settings {
namespace {

/// One argument of an Exec line: quoted when it holds anything the launcher would split or expand,
/// then escaped once more as a desktop-file string value.
QString execArgument(const QString& argument) {
    QString exec = argument;
    exec.replace('%', "%%");
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    if (std::any_of(exec.begin(), exec.end(), [](QChar c) { return reserved.contains(c); })) {
        QString quoted;
        for (const QChar c : exec) {
            if (c == '"' || c == '`' || c == '$' || c == '\\')
                quoted += '\\';
            quoted += c;
        }
        exec = '"' + quoted + '"';
    }
    return exec.replace('\\', "\\\\");
}

} // namespace

AutostartEntry::AutostartEntry(QString path, QString program)
    : path_(std::move(path)), program_(std::move(program)) {}

QString AutostartEntry::defaultPath() {
    // Beside the settings file, whatever the environment.
    return QString::fromLocal8Bit(fileio::configHome()) + "/autostart/" + core::applicationId + ".desktop";
}

QString AutostartEntry::defaultProgram() {
    const QString self = QCoreApplication::applicationFilePath();
    const QString onPath = QStandardPaths::findExecutable("tintwell");
    if (self.isEmpty())
        return "tintwell";
    if (!onPath.isEmpty() && QFileInfo(onPath).canonicalFilePath() == QFileInfo(self).canonicalFilePath())
        return "tintwell";
    return self;
}

QString AutostartEntry::contents() const {
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Tintwell\n"
                          "Comment=Warm or cool every display by where the sun is at your location\n"
                          "Exec=%1\n"
                          "Icon=%2\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(execArgument(program_), QString(core::applicationId));
}

bool AutostartEntry::isEnabled() const {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).remove(' ').trimmed();
        if (line.startsWith('['))
            inMainGroup = line == "[DesktopEntry]";
        else if (inMainGroup && (line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false"))
            return false;
    }
    return true;
}

std::optional<QString> AutostartEntry::setEnabled(bool enabled) {
    if (!enabled) {
        if (!QFile::exists(path_) || QFile::remove(path_))
            return std::nullopt;
        return QString("Cannot remove %1").arg(path_);
    }
    const QString folder = QFileInfo(path_).absolutePath();
    if (!QDir().mkpath(folder))
        return QString("Cannot create %1").arg(folder);
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text) || file.write(contents().toUtf8()) < 0 ||
        !file.commit())
        return QString("Cannot write %1: %2").arg(path_, file.errorString());
    return std::nullopt;
}

} // namespace tintwell::settings
