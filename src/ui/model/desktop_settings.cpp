#include "ui/model/desktop_settings.h"

#include <QProcess>
#include <QStandardPaths>

namespace tintwell::ui {

DesktopSettings::DesktopSettings(Finder find) : find_(std::move(find)) {
    if (!find_)
        find_ = [](const QString& program) { return QStandardPaths::findExecutable(program); };
}

std::optional<Command> DesktopSettings::firstInstalled(const std::vector<Command>& candidates) const {
    for (const auto& c : candidates)
        if (!find_(c.program).isEmpty())
            return c;
    return std::nullopt;
}

std::optional<Command> DesktopSettings::locationSettings() const {
    return firstInstalled({{QStringLiteral("gnome-control-center"), {QStringLiteral("location")}}});
}

std::optional<Command> DesktopSettings::displaySettings() const {
    return firstInstalled({
        {QStringLiteral("gnome-control-center"), {QStringLiteral("display")}},
        {QStringLiteral("kcmshell6"), {QStringLiteral("kcm_kscreen")}},
        {QStringLiteral("kcmshell5"), {QStringLiteral("kcm_kscreen")}},
        {QStringLiteral("xfce4-display-settings"), {}},
        {QStringLiteral("cinnamon-settings"), {QStringLiteral("display")}},
        {QStringLiteral("mate-display-properties"), {}},
        {QStringLiteral("lxqt-config-monitor"), {}},
        {QStringLiteral("arandr"), {}},
    });
}

bool DesktopSettings::open(const Command& command) {
    return QProcess::startDetached(command.program, command.arguments);
}

} // namespace tintwell::ui
