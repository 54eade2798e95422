#include "updates/update_channel_delegate.h"

#include "core/update_selection.h"

namespace tintwell::updates {

UpdateChannelDelegate::UpdateChannelDelegate(std::string currentVersion)
    : currentVersion_(std::move(currentVersion)) {}

void UpdateChannelDelegate::setChosenChannel(std::string channel) {
    const std::lock_guard guard(lock_);
    chosenChannel_ = std::move(channel);
}

std::string UpdateChannelDelegate::chosenChannel() const {
    const std::lock_guard guard(lock_);
    return chosenChannel_;
}

std::set<std::string> UpdateChannelDelegate::allowedChannels() const {
    return core::allowedChannels(chosenChannel());
}

std::optional<AppcastItem>
UpdateChannelDelegate::bestValidUpdate(const std::vector<AppcastItem>& items) const {
    return core::bestValidUpdate(items, currentVersion_);
}

std::string UpdateChannelDelegate::buildVersion() {
#ifdef TINTWELL_VERSION
    const std::string version = TINTWELL_VERSION;
    return version.empty() ? "0" : version;
#else
    return "0";
#endif
}

} // namespace tintwell::updates
