#pragma once

#include <functional>
#include <optional>

#include <QString>
#include <QStringList>

namespace tintwell::ui {

/// A program and its arguments.
struct Command {
    QString program;
    QStringList arguments;
    bool operator==(const Command&) const = default;
};

/// The desktop's own settings pages that the popup can open, found among the installed programs.
class DesktopSettings {
public:
    using Finder = std::function<QString(const QString& program)>; ///< path, or empty when missing

    /// Looks programs up on PATH by default.
    explicit DesktopSettings(Finder find = {});

    /// The first installed settings page for location services; nothing where none is installed.
    std::optional<Command> locationSettings() const;
    /// The first installed display-arrangement tool; nothing where none is installed.
    std::optional<Command> displaySettings() const;

    /// Starts `command` detached; false when it could not start.
    static bool open(const Command& command);

private:
    std::optional<Command> firstInstalled(const std::vector<Command>& candidates) const;
    Finder find_;
};

} // namespace tintwell::ui
