#include "core/update_selection.h"

namespace tintwell::core {

std::set<std::string> allowedChannels(std::string_view chosenChannel) {
    if (chosenChannel == "dev")
        return {"dev", "beta", "stable"};
    if (chosenChannel == "beta")
        return {"beta", "stable"};
    return {"stable"};
}

} // namespace tintwell::core
