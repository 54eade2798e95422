#pragma once

#include "updates/appcast.h"

#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tintwell::updates {

/// What the updater asks the application: which release channels the user receives, and which
/// feed item is the update to offer. The chosen channel is set on the main thread and may be read
/// from any thread.
class UpdateChannelDelegate {
public:
    /// `currentVersion`: the running version the items are compared against.
    explicit UpdateChannelDelegate(std::string currentVersion = buildVersion());

    /// Any text is accepted; names other than "dev" and "beta" receive "stable" alone.
    void setChosenChannel(std::string channel);
    std::string chosenChannel() const;
    std::set<std::string> allowedChannels() const;

    /// The newest item strictly newer than the running version; the first of equals.
    std::optional<AppcastItem> bestValidUpdate(const std::vector<AppcastItem>& items) const;
    const std::string& currentVersion() const { return currentVersion_; }

    /// The version this program was built as, or "0" when the build did not say.
    static std::string buildVersion();

private:
    mutable std::mutex lock_;
    std::string chosenChannel_ = "stable";
    const std::string currentVersion_;
};

} // namespace tintwell::updates
