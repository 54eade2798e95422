#include "platform/virtual/virtual_hot_key_service.h"

namespace tintwell::platform {

HotKeyResult VirtualHotKeyService::grab(const KeyCombination& combination) const {
    if (reserved_.contains(combination))
        return {10, "already grabbed by another client"};
    return {};
}

HotKeyResult VirtualHotKeyService::registerHotKey(const KeyCombination& combination) {
    ++registerCalls_;
    if (registrations_.contains(key(combination)))
        return {};
    if (suspended_) {
        registrations_[key(combination)] = false;
        return {};
    }
    const HotKeyResult result = grab(combination);
    if (result.ok())
        registrations_[key(combination)] = true;
    return result;
}

void VirtualHotKeyService::unregisterHotKey(const KeyCombination& combination) {
    registrations_.erase(key(combination));
}

void VirtualHotKeyService::suspend() {
    suspended_ = true;
    for (auto& [combination, active] : registrations_)
        active = false;
}

std::vector<std::pair<KeyCombination, HotKeyResult>> VirtualHotKeyService::resume() {
    suspended_ = false;
    std::vector<std::pair<KeyCombination, HotKeyResult>> refused;
    for (auto& [k, active] : registrations_) {
        const KeyCombination combination{k.first, k.second};
        const HotKeyResult result = grab(combination);
        active = result.ok();
        if (!active)
            refused.emplace_back(combination, result);
    }
    return refused;
}

bool VirtualHotKeyService::isReservedBySystem(const KeyCombination& combination) {
    return reserved_.contains(combination) && !isActive(combination);
}

std::optional<KeyCombination> VirtualHotKeyService::combinationForNativeKey(std::uint32_t nativeKeyCode,
                                                                            std::uint32_t nativeModifiers) {
    return KeyCombination{nativeKeyCode, nativeModifiers & modifier::all & ~modifier::function};
}

bool VirtualHotKeyService::isActive(const KeyCombination& c) const {
    const auto it = registrations_.find(key(c));
    return it != registrations_.end() && it->second;
}

bool VirtualHotKeyService::press(const KeyCombination& combination) {
    if (!isActive(combination))
        return false;
    Q_EMIT hotKeyPressed(combination);
    return true;
}

bool VirtualHotKeyService::release(const KeyCombination& combination) {
    if (!isActive(combination))
        return false;
    Q_EMIT hotKeyReleased(combination);
    return true;
}

} // namespace tintwell::platform
