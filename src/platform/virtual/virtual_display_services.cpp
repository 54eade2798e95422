#include "platform/virtual/virtual_display_services.h"

#include <cstdio>
#include <thread>

namespace tintwell::platform {
namespace {

core::TransferTables identityTables() {
    const auto t = core::ColorTemperature::identityTable();
    return {t, t, t};
}

} // namespace

VirtualDisplayServices::VirtualDisplayServices(int count, QObject* parent) : DisplayServices(parent) {
    for (int i = 0; i < count; ++i) {
        DisplayDescription d;
        d.id = static_cast<DisplayId>(i + 1);
        d.name = "Virtual " + std::to_string(i + 1);
        d.bounds = {1920.0 * i, 0, 1920, 1080};
        d.isMain = i == 0;
        char key[37];
        std::snprintf(key, sizeof key, "00000000-0000-5000-8000-%012d", i + 1);
        d.key = key;
        d.gammaSize = 256;
        displays_.push_back(d);
    }
}

std::vector<DisplayId> VirtualDisplayServices::onlineDisplays() {
    std::lock_guard lock(mutex_);
    std::vector<DisplayId> ids;
    for (const auto& d : displays_)
        ids.push_back(d.id);
    return ids;
}

std::optional<DisplayDescription> VirtualDisplayServices::describe(DisplayId id) {
    std::lock_guard lock(mutex_);
    for (const auto& d : displays_)
        if (d.id == id)
            return d;
    return std::nullopt;
}

void VirtualDisplayServices::setTransferTables(DisplayId id, const core::TransferTables& tables) {
    std::chrono::microseconds delay{0};
    {
        std::lock_guard lock(mutex_);
        if (!writeDelays_.empty())
            delay = writeDelays_[nextDelay_++ % writeDelays_.size()];
    }
    if (delay.count() > 0)
        std::this_thread::sleep_for(delay);
    std::lock_guard lock(mutex_);
    if (!refusing_.count(id))
        current_[id] = tables;
    writes_.push_back({id, tables, QThread::currentThreadId(), std::chrono::steady_clock::now()});
}

std::optional<core::TransferTables> VirtualDisplayServices::readTransferTables(DisplayId id) {
    std::lock_guard lock(mutex_);
    const auto it = current_.find(id);
    if (it != current_.end())
        return it->second;
    for (const auto& d : displays_)
        if (d.id == id)
            return identityTables();
    return std::nullopt;
}

void VirtualDisplayServices::restoreSystemCalibration() {
    std::lock_guard lock(mutex_);
    current_.clear();
    ++restoreCount_;
}

void VirtualDisplayServices::setDisplays(std::vector<DisplayDescription> displays) {
    {
        std::lock_guard lock(mutex_);
        displays_ = std::move(displays);
    }
    Q_EMIT displaysReconfigured();
}

std::vector<VirtualDisplayServices::Write> VirtualDisplayServices::writes() const {
    std::lock_guard lock(mutex_);
    return writes_;
}

void VirtualDisplayServices::clearWrites() {
    std::lock_guard lock(mutex_);
    writes_.clear();
}

int VirtualDisplayServices::restoreCount() const {
    std::lock_guard lock(mutex_);
    return restoreCount_;
}

void VirtualDisplayServices::setWriteDelay(std::chrono::microseconds delay) {
    setWriteDelays({delay});
}

void VirtualDisplayServices::setWriteDelays(std::vector<std::chrono::microseconds> delays) {
    std::lock_guard lock(mutex_);
    writeDelays_ = std::move(delays);
    nextDelay_ = 0;
}

void VirtualDisplayServices::setRefusesWrites(DisplayId id, bool refuses) {
    std::lock_guard lock(mutex_);
    if (refuses)
        refusing_.insert(id);
    else
        refusing_.erase(id);
}

} // namespace tintwell::platform
