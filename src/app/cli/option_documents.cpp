#include "app/cli/option_documents.h"

#include "app/cli/help_command.h"
#include "core/application_id.h"

#include <QStringList>

namespace tintwell::app::optionDocuments {
namespace {

/// Words an option's value may take, where the set is small and fixed.
QString valueWords(const QCommandLineOption& option) {
    if (option.names().contains("backend"))
        return "x11 wayland gnome kde virtual virtual:";
    if (option.names().contains("action"))
        return "togglePause toggleManualOverride nextProfile previousProfile warmer cooler pause resume";
    return {};
}

/// The options --help lists.
QList<QCommandLineOption> listed(const QList<QCommandLineOption>& options) {
    QList<QCommandLineOption> shown;
    for (const QCommandLineOption& option : options)
        if (!(option.flags() & QCommandLineOption::HiddenFromHelp))
            shown << option;
    return shown;
}

/// An option's names as typed: "-h", "--help".
QStringList dashedNames(const QCommandLineOption& option) {
    QStringList names;
    for (const QString& name : option.names())
        names << (name.size() == 1 ? "-" : "--") + name;
    return names;
}

QString roff(const QString& text) {
    QString out;
    for (const QChar c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '-')
            out += "\\-";
        else if (c.unicode() > 0x7f) // troff reads bytes; a named code point works everywhere
            out += "\\[u" + QString::number(c.unicode(), 16).toUpper().rightJustified(4, '0') + "]";
        else
            out += c;
    }
    if (out.startsWith('.') || out.startsWith('\''))
        out.prepend("\\&");
    return out;
}

QString zshQuoted(QString text) {
    text.replace('\\', "\\\\").replace('[', "\\[").replace(']', "\\]").replace(':', "\\:");
    return text.replace('\'', "'\\''");
}

} // namespace

QString manualPage(const QList<QCommandLineOption>& options, const QString& version) {
    QStringList page;
    page << ".TH TINTWELL 1 \"\" \"tintwell " + roff(version) + "\" \"User Commands\"";
    page << ".SH NAME"
         << "tintwell \\- tint every display by where the sun is";
    page << ".SH SYNOPSIS"
         << ".B tintwell"
         << "[\\fIOPTION\\fR]...";
    page << ".SH DESCRIPTION" << roff(programDescription());
    page << ".PP"
         << "Without options it runs the application: it tints every display by the sun's altitude with "
            "the stored settings, shows an icon in the system tray, and gives every display its own "
            "colours back on quit, SIGINT, SIGTERM or SIGHUP. One instance runs per login session; a "
            "second start asks the running one to show its popup and exits with status 1.";
    page << ".PP"
         << roff(QString("The running instance can be read and driven on the session bus as %1 at "
                         "/org/tintwell/Tintwell (interface %1): properties CurrentKelvin, CurrentAltitude, "
                         "ActiveProfile, ActiveException, Paused and ManualOverride, methods ShowPopup and "
                         "Reapply.")
                     .arg(core::applicationId));
    page << ".SH OPTIONS";
    for (const QCommandLineOption& option : listed(options)) {
        QStringList names;
        for (const QString& name : dashedNames(option))
            names << "\\fB" + roff(name) + "\\fR";
        QString head = names.join(", ");
        if (!option.valueName().isEmpty())
            head += " \\fI" + roff(option.valueName()) + "\\fR";
        page << ".TP" << head << roff(option.description());
    }
    page << ".SH EXIT STATUS"
         << ".TP"
         << "0"
         << "Success."
         << ".TP"
         << "1"
         << "A runtime failure (no display server, no display with a gamma ramp, a refused write), "
            "another instance already running, or, with \\fB\\-\\-status\\fR, none running."
         << ".TP"
         << "2"
         << "Bad input; one line on standard error names the bad value.";
    page << ".SH ENVIRONMENT"
         << ".TP"
         << ".B TINTWELL_LOG"
         << "\\fBdebug\\fR turns on every debug message; a comma-separated list of categories "
            "(\\fBlocation,engine\\fR) only those. \\fBQT_LOGGING_RULES\\fR has the last word."
         << ".TP"
         << ".B XDG_CONFIG_HOME"
         << "Where the settings folder lives (default \\fI~/.config\\fR)."
         << ".TP"
         << ".B XDG_RUNTIME_DIR"
         << "Where the instance lock and the saved gamma ramps live while the application runs.";
    page << ".SH FILES"
         << ".TP"
         << ".I $XDG_CONFIG_HOME/tintwell/defaults.json"
         << "The settings, one JSON object, written atomically on every change."
         << ".TP"
         << ".I " + roff(QString("$XDG_CONFIG_HOME/autostart/%1.desktop").arg(core::applicationId))
         << "Present while \"Start at login\" is on.";
    page << ".SH LOGS"
         << "Messages go to the systemd journal when Tintwell runs as a systemd unit or from a desktop "
            "launcher (\\fBjournalctl \\-\\-user \\-t tintwell\\fR), to standard error otherwise.";
    page << ".SH SEE ALSO"
         << ".BR busctl (1),"
         << ".BR journalctl (1)";
    return page.join('\n') + '\n';
}

QString bashCompletion(const QList<QCommandLineOption>& options) {
    QStringList words, takingValue, cases;
    for (const QCommandLineOption& option : listed(options)) {
        const QStringList names = dashedNames(option);
        words << names;
        if (option.valueName().isEmpty())
            continue;
        if (const QString values = valueWords(option); !values.isEmpty())
            cases << QString("    %1)\n        COMPREPLY=($(compgen -W \"%2\" -- \"$cur\"))\n        return "
                             ";;\n")
                         .arg(names.join('|'), values);
        else
            takingValue << names;
    }
    QString script = "# bash completion for tintwell, made from its option table.\n"
                     "_tintwell() {\n"
                     "    local cur=\"${COMP_WORDS[COMP_CWORD]}\" prev=\"${COMP_WORDS[COMP_CWORD-1]}\"\n"
                     "    case \"$prev\" in\n";
    script += cases.join("");
    if (!takingValue.isEmpty())
        script += QString("    %1)\n        return ;;\n").arg(takingValue.join('|'));
    script += "    esac\n"
              "    COMPREPLY=($(compgen -W \"" +
              words.join(' ') +
              "\" -- \"$cur\"))\n"
              "}\n"
              "complete -F _tintwell tintwell\n";
    return script;
}

QString zshCompletion(const QList<QCommandLineOption>& options) {
    QStringList entries;
    for (const QCommandLineOption& option : listed(options)) {
        const QStringList names = dashedNames(option);
        QString entry;
        const QString takes = option.valueName().isEmpty() ? QString() : "=";
        const QString description = "[" + zshQuoted(option.description()) + "]";
        if (names.size() > 1)
            entry = "'(" + names.join(' ') + ")'{" + (names.join(takes + ",") + takes) + "}'" + description;
        else
            entry = "'" + names.first() + takes + description;
        if (!takes.isEmpty()) {
            const QString values = valueWords(option);
            entry +=
                ":" + zshQuoted(option.valueName()) + ":" + (values.isEmpty() ? " " : "(" + values + ")");
        }
        entries << entry + "'";
    }
    return "#compdef tintwell\n"
           "# zsh completion for tintwell, made from its option table.\n"
           "_arguments -s \\\n    " +
           entries.join(" \\\n    ") + " \\\n    '*:setting:'\n";
}

} // namespace tintwell::app::optionDocuments
