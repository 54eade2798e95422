#include "platform/kde/kwin_night_color_settings.h"

namespace tintwell::platform::KWinNightColorSettings {
namespace {

const QString header = QStringLiteral("[NightColor]");

bool isHeader(const QString& line) {
    return line.trimmed().startsWith('[');
}

/// Where the group's header is and where the group ends (the next header or the end).
std::optional<std::pair<qsizetype, qsizetype>> span(const QStringList& lines) {
    const qsizetype start = lines.indexOf(header);
    if (start < 0)
        return std::nullopt;
    qsizetype end = start + 1;
    while (end < lines.size() && !isHeader(lines[end]))
        ++end;
    return std::pair{start, end};
}

QStringList splitLines(const QString& text) {
    QStringList lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

std::optional<QStringList> group(const QString& text) {
    const QStringList lines = splitLines(text);
    const auto where = span(lines);
    if (!where)
        return std::nullopt;
    QStringList body = lines.mid(where->first + 1, where->second - where->first - 1);
    while (!body.isEmpty() && body.last().trimmed().isEmpty())
        body.removeLast();
    return body;
}

QString withGroup(const QString& text, const std::optional<QStringList>& body) {
    QStringList lines = splitLines(text);
    QStringList replacement;
    if (body)
        replacement << header << *body;
    if (const auto where = span(lines)) {
        // Keep the blank line that separated the group from the next one.
        const bool blankBefore = where->second < lines.size() && where->second > where->first + 1 &&
                                 lines[where->second - 1].trimmed().isEmpty();
        if (blankBefore && body)
            replacement << QString();
        lines.remove(where->first, where->second - where->first);
        for (qsizetype i = 0; i < replacement.size(); ++i)
            lines.insert(where->first + i, replacement[i]);
    } else if (body) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines << QString();
        lines << replacement;
    }
    return lines.isEmpty() ? QString() : lines.join('\n') + '\n';
}

QStringList withEntry(QStringList lines, const QString& key, const QString& value) {
    const QString line = key + '=' + value;
    for (QString& existing : lines) {
        const QString name = existing.section('=', 0, 0).trimmed();
        if (existing.contains('=') && name == key) {
            existing = line;
            return lines;
        }
    }
    lines << line;
    return lines;
}

} // namespace tintwell::platform::KWinNightColorSettings
