#pragma once

namespace tintwell::settings {
class AppState;
}

namespace tintwell::updates {

/// Stores "undecided" when the store holds no consent and no settings from an earlier run, before
/// anything else is saved. Without it the first saved setting would make the next start read those
/// settings as an older store's and derive consent to automatic checks nobody gave. A store that
/// really is older keeps its derived consent, unstored.
void recordFirstStartConsent(settings::AppState& state);

} // namespace tintwell::updates
