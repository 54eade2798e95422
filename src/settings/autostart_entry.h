#pragma once

#include <optional>

#include <QString>

namespace tintwell::settings {

/// "Start at login": the XDG autostart entry that has the desktop start the application when the
/// user logs in. Its presence is the setting; nothing else stores it.
class AutostartEntry {
public:
    /// `path` defaults to defaultPath(); `program` is what the entry runs.
    explicit AutostartEntry(QString path = defaultPath(), QString program = defaultProgram());

    /// $XDG_CONFIG_HOME/autostart/<application id>.desktop, with ~/.config when that is unset, empty
    /// or relative.
    static QString defaultPath();
    /// "tintwell" when the running executable is the one found on PATH, else its absolute path (a
    /// build tree, a private prefix), so that the entry starts this very program.
    static QString defaultProgram();

    /// True when the entry exists and does not switch itself off (Hidden=true or
    /// X-GNOME-Autostart-enabled=false, as desktop settings tools write).
    bool isEnabled() const;
    /// Writes the entry atomically (creating the folder) or removes it. Nothing on success, else one
    /// line saying what failed.
    std::optional<QString> setEnabled(bool enabled);

    const QString& path() const { return path_; }
    /// The entry's text.
    QString contents() const;

private:
    QString path_;
    QString program_;
};

} // namespace tintwell::settings
