#pragma once

#include "updates/appcast.h"

#include <string>

#include <QString>

namespace tintwell::updates {

/// Where the updater tells the user what it found. It never downloads or installs anything: the
/// user follows the offered link. The tray implements this with a dialog and a notification; the
/// command line with text on a stream. Main thread only.
class UpdatePresenter {
public:
    virtual ~UpdatePresenter() = default;

    // The answers to a check the user asked for (a small dialog in the tray).
    /// `item` is newer than `currentVersion`: show availableText(), the release notes link, and
    /// "Download…" (opens item.downloadLink() in the browser) and "Later".
    virtual void showAvailable(const AppcastItem& item, const std::string& currentVersion) = 0;
    virtual void showUpToDate() = 0;
    /// `reason` is a phrase: show errorText(reason).
    virtual void showError(const QString& reason) = 0;
    /// This build has no update feed: show noFeedText().
    virtual void showNoFeed() = 0;

    /// An automatic check found `item`: one notification, sent once per version.
    virtual void notifyAvailable(const AppcastItem& item, const std::string& currentVersion) = 0;
};

/// "Tintwell X is available — you have Y."
QString availableText(const AppcastItem& item, const std::string& currentVersion);
QString upToDateText();
/// "Couldn't check for updates: <reason>."
QString errorText(const QString& reason);
QString noFeedText();

} // namespace tintwell::updates
