#pragma once

#include "platform/display_services.h"

#include <chrono>
#include <mutex>
#include <set>

#include <QThread>

namespace tintwell::platform {

/// In-memory displays side by side, for tests and `--backend virtual`. Records every write.
class VirtualDisplayServices final : public DisplayServices {
    Q_OBJECT
public:
    struct Write {
        DisplayId id = 0;
        core::TransferTables tables;
        Qt::HANDLE thread = nullptr;
        std::chrono::steady_clock::time_point time;
    };

    /// `count` displays of 1920x1080 in a row, identifiers 1…count, the first one main.
    explicit VirtualDisplayServices(int count = 2, QObject* parent = nullptr);

    std::vector<DisplayId> onlineDisplays() override;
    std::optional<DisplayDescription> describe(DisplayId id) override;
    void setTransferTables(DisplayId id, const core::TransferTables& tables) override;
    std::optional<core::TransferTables> readTransferTables(DisplayId id) override;
    void restoreSystemCalibration() override;
    DisplayCapabilities capabilities() const override { return capabilities_; }
    std::string conflict() const override { return conflict_; }

    // Control interface for tests.
    void setDisplays(std::vector<DisplayDescription> displays); ///< emits displaysReconfigured
    std::vector<Write> writes() const;
    void clearWrites();
    int restoreCount() const;
    /// Each write sleeps this long before it lands, to provoke reordering on the pool.
    void setWriteDelay(std::chrono::microseconds delay);
    /// Successive writes sleep for these delays in turn (cycling), so that later writes can overtake.
    void setWriteDelays(std::vector<std::chrono::microseconds> delays);
    /// Writes to `id` are recorded but change nothing, as on a display whose driver refuses them.
    void setRefusesWrites(DisplayId id, bool refuses);
    /// Stands for a desktop that limits what Tintwell may change; emits conflictChanged.
    void setDesktopLimits(DisplayCapabilities capabilities, std::string conflict) {
        capabilities_ = std::move(capabilities);
        conflict_ = std::move(conflict);
        Q_EMIT conflictChanged();
    }

private:
    mutable std::mutex mutex_;
    std::vector<DisplayDescription> displays_;
    std::unordered_map<DisplayId, core::TransferTables> current_;
    std::vector<Write> writes_;
    int restoreCount_ = 0;
    std::vector<std::chrono::microseconds> writeDelays_;
    std::size_t nextDelay_ = 0;
    std::set<DisplayId> refusing_;
    DisplayCapabilities capabilities_; // main thread only, like the two below
    std::string conflict_;
};

} // namespace tintwell::platform
