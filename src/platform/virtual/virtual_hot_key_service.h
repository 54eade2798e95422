#pragma once

#include "platform/hot_key_service.h"

#include <map>
#include <unordered_set>

namespace tintwell::platform {

/// Hot keys kept in memory, pressed by hand: for tests and `--backend virtual`. Its native key
/// codes are the virtual key codes themselves and its native modifiers the stored modifier bits.
class VirtualHotKeyService final : public HotKeyService {
    Q_OBJECT
public:
    using HotKeyService::HotKeyService;

    HotKeyResult registerHotKey(const KeyCombination& combination) override;
    void unregisterHotKey(const KeyCombination& combination) override;
    void suspend() override;
    std::vector<std::pair<KeyCombination, HotKeyResult>> resume() override;
    bool isReservedBySystem(const KeyCombination& combination) override;
    std::optional<KeyCombination> combinationForNativeKey(std::uint32_t nativeKeyCode,
                                                          std::uint32_t nativeModifiers) override;

    // Control interface for tests.
    /// Presses and releases `combination` as the keyboard would: the signals fire only while it is
    /// registered and not suspended. True when they fired.
    bool press(const KeyCombination& combination);
    bool release(const KeyCombination& combination);
    /// Makes another client hold `combination`: registering it fails with BadAccess (10).
    void reserve(const KeyCombination& combination) { reserved_.insert(combination); }
    void unreserve(const KeyCombination& combination) { reserved_.erase(combination); }
    /// Combinations registered (remembered) now, and whether each is held by the window system.
    const std::map<std::pair<std::uint32_t, std::uint32_t>, bool>& registrations() const {
        return registrations_;
    }
    bool isRegistered(const KeyCombination& c) const { return registrations_.contains(key(c)); }
    bool isActive(const KeyCombination& c) const;
    bool suspended() const { return suspended_; }
    /// How many register calls reached this service since construction.
    int registerCalls() const { return registerCalls_; }

private:
    static std::pair<std::uint32_t, std::uint32_t> key(const KeyCombination& c) {
        return {c.keyCode, c.modifiers};
    }
    HotKeyResult grab(const KeyCombination& combination) const;

    std::map<std::pair<std::uint32_t, std::uint32_t>, bool> registrations_;
    std::unordered_set<KeyCombination> reserved_;
    bool suspended_ = false;
    int registerCalls_ = 0;
};

} // namespace tintwell::platform
