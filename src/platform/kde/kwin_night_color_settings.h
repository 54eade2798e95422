#pragma once

#include <optional>

#include <QString>
#include <QStringList>

namespace tintwell::platform {

/// The `[NightColor]` group of KWin's `kwinrc`, read and replaced in the file's text without
/// touching any other line (the file is KWin's and the user's: keys we do not know stay as written).
namespace KWinNightColorSettings {

/// The lines of the group (without its header); nothing when the file has no such group.
std::optional<QStringList> group(const QString& text);
/// `text` with the group's lines replaced by `lines`, or the group removed when `lines` is nothing;
/// a missing group is added at the end.
QString withGroup(const QString& text, const std::optional<QStringList>& lines);
/// `lines` with `key=value` set, replacing the key's line (localised variants `key[..]` left alone).
QStringList withEntry(QStringList lines, const QString& key, const QString& value);

} // namespace KWinNightColorSettings

} // namespace tintwell::platform
