#include "app/log_output.h"

#include <cstdio>

#include <QFileInfo>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QStringList>

#include <sys/stat.h>
#include <unistd.h>

#ifdef TINTWELL_HAVE_SYSTEMD
#include <syslog.h>
#define SD_JOURNAL_SUPPRESS_LOCATION
#include <systemd/sd-journal.h>
#endif

namespace tintwell::app {
namespace {

void toStandardError(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const QByteArray line = qFormatLogMessage(type, context, message).toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}

#ifdef TINTWELL_HAVE_SYSTEMD
int syslogPriority(QtMsgType type) {
    switch (type) {
    case QtDebugMsg:
        return LOG_DEBUG;
    case QtInfoMsg:
        return LOG_INFO;
    case QtWarningMsg:
        return LOG_WARNING;
    case QtCriticalMsg:
        return LOG_CRIT;
    case QtFatalMsg:
        return LOG_ALERT;
    }
    return LOG_INFO;
}

void toJournal(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const QByteArray text = message.toUtf8();
    const char* category = context.category ? context.category : "default";
    // The caller's location, when the build records it (QT_MESSAGELOGCONTEXT), not this handler's.
    if (!context.file) {
        sd_journal_send("MESSAGE=%s", text.constData(), "PRIORITY=%d", syslogPriority(type),
                        "SYSLOG_IDENTIFIER=tintwell", "TINTWELL_CATEGORY=%s", category, nullptr);
        return;
    }
    const QByteArray file = QByteArray("CODE_FILE=") + context.file;
    const QByteArray line = "CODE_LINE=" + QByteArray::number(context.line);
    sd_journal_send_with_location(file.constData(), line.constData(),
                                  context.function ? context.function : "", "MESSAGE=%s", text.constData(),
                                  "PRIORITY=%d", syslogPriority(type), "SYSLOG_IDENTIFIER=tintwell",
                                  "TINTWELL_CATEGORY=%s", category, nullptr);
}
#endif

} // namespace

LogEnvironment LogEnvironment::current() {
    LogEnvironment e;
    e.journalStream = qEnvironmentVariable("JOURNAL_STREAM");
    struct stat st {};
    if (::fstat(STDERR_FILENO, &st) == 0)
        e.stderrIdentity = QStringLiteral("%1:%2").arg(qulonglong(st.st_dev)).arg(qulonglong(st.st_ino));
    e.stderrIsTerminal = ::isatty(STDERR_FILENO) == 1;
    e.desktopSession =
        !qEnvironmentVariableIsEmpty("XDG_SESSION_ID") || !qEnvironmentVariableIsEmpty("XDG_CURRENT_DESKTOP");
#ifdef TINTWELL_HAVE_SYSTEMD
    e.journalAvailable = QFileInfo::exists(QStringLiteral("/run/systemd/journal/socket"));
#endif
    return e;
}

LogTarget chooseLogTarget(const LogEnvironment& e) {
    if (!e.journalAvailable)
        return LogTarget::StandardError;
    // $JOURNAL_STREAM is inherited by children whose standard error goes elsewhere: trust it only
    // when it names our own standard error.
    if (!e.journalStream.isEmpty() && e.journalStream == e.stderrIdentity)
        return LogTarget::Journal;
    if (e.desktopSession && !e.stderrIsTerminal)
        return LogTarget::Journal;
    return LogTarget::StandardError;
}

std::optional<QString> loggingRules(const QString& tintwellLog) {
    const QString value = tintwellLog.trimmed().toLower();
    if (value.isEmpty() || value == "info")
        return QStringLiteral("tintwell.*.debug=false");
    if (value == "debug")
        return QStringLiteral("tintwell.*.debug=true");
    static const QRegularExpression name(QStringLiteral("^(tintwell\\.)?[a-z0-9_]+$"));
    QStringList rules{QStringLiteral("tintwell.*.debug=false")};
    for (QString part : value.split(',', Qt::SkipEmptyParts)) {
        part = part.trimmed();
        if (!name.match(part).hasMatch())
            return std::nullopt;
        if (!part.startsWith("tintwell."))
            part.prepend("tintwell.");
        rules << part + ".debug=true";
    }
    return rules.join('\n');
}

void installLogOutput() {
    const QString requested = qEnvironmentVariable("TINTWELL_LOG");
    const auto rules = loggingRules(requested);
    QLoggingCategory::setFilterRules(rules.value_or(*loggingRules({})));

#ifdef TINTWELL_HAVE_SYSTEMD
    if (chooseLogTarget(LogEnvironment::current()) == LogTarget::Journal)
        qInstallMessageHandler(toJournal);
    else
#endif
        qInstallMessageHandler(toStandardError);

    if (!rules)
        qWarning().noquote() << "Ignoring TINTWELL_LOG=" + requested +
                                    ": expected debug, info, or category names such as location,engine";
}

} // namespace tintwell::app
