#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <QByteArray>
#include <QString>

namespace tintwell::updates {

/// One entry of an update feed. Every field is absent when the feed does not give it.
struct AppcastItem {
    std::optional<std::string> versionString;      ///< the build version the entry offers
    std::optional<std::string> shortVersionString; ///< the version shown to people
    std::optional<std::string> channel;            ///< absent: every channel receives it
    std::optional<std::string> title;
    std::optional<std::string> link;             ///< the page a person downloads from
    std::optional<std::string> releaseNotesLink; ///< the release notes page
    std::optional<std::string> enclosureUrl;     ///< the package itself

    /// The version to show: the short one when given, else the build version.
    std::string displayVersion() const { return shortVersionString.value_or(versionString.value_or("")); }
    /// The page to open for a download: `link`, else the enclosure.
    std::optional<std::string> downloadLink() const { return link ? link : enclosureUrl; }

    bool operator==(const AppcastItem&) const = default;
};

/// Why a feed could not be read; a phrase that fits after "Couldn't check for updates: ".
struct AppcastError {
    QString reason;
};

/// Reads an RSS 2.0 update feed: every `item` with the update elements `version`,
/// `shortVersionString`, `channel` and `releaseNotesLink` (whatever their namespace prefix), the
/// version also from the `enclosure`'s attributes as older feeds give it, and `title`, `link` and the
/// enclosure's `url`. Links other than http(s) are dropped, so nothing else is ever opened. Entity
/// expansion is bounded; malformed XML is an error, not a partial list.
std::variant<std::vector<AppcastItem>, AppcastError> parseAppcast(const QByteArray& xml);

} // namespace tintwell::updates
