#include "updates/update_consent.h"

#include "settings/app_state.h"

namespace tintwell::updates {

void recordFirstStartConsent(settings::AppState& state) {
    auto& defaults = state.defaults();
    const auto stored = defaults.string(settings::storedKey("updateConsent"));
    if (stored && settings::updateConsentFromString(*stored))
        return;
    if (settings::AppState::hasAnyPriorState(defaults))
        return;
    state.setUpdateConsent(settings::UpdateConsent::Undecided);
}

} // namespace tintwell::updates
