#pragma once

#include <optional>

#include <QString>

namespace tintwell::app {

enum class LogTarget { StandardError, Journal };

/// What decides where log messages go, gathered once at start.
struct LogEnvironment {
    QString journalStream;  ///< $JOURNAL_STREAM: "device:inode" of the journal's stream, when set
    QString stderrIdentity; ///< "device:inode" of standard error; empty when it is closed
    bool stderrIsTerminal = false;
    bool desktopSession = false;   ///< a graphical login session ($XDG_SESSION_ID or $XDG_CURRENT_DESKTOP)
    bool journalAvailable = false; ///< built with libsystemd and journald's socket exists

    static LogEnvironment current();
};

/// The journal when standard error already leads to it (a systemd unit or scope), or in a desktop
/// session when nobody watches standard error on a terminal; standard error otherwise.
LogTarget chooseLogTarget(const LogEnvironment& environment);

/// Qt logging rules for a value of $TINTWELL_LOG: nothing or "info" keeps the tintwell debug
/// categories quiet, "debug" opens them all, a comma-separated list of names ("location,engine" or
/// "tintwell.location") opens those. Nothing for text that is none of these. $QT_LOGGING_RULES
/// still has the last word.
std::optional<QString> loggingRules(const QString& tintwellLog);

/// Routes every logging category to the chosen target and applies $TINTWELL_LOG. Call first in main.
void installLogOutput();

} // namespace tintwell::app
