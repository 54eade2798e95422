#include "platform/linux/linux_lifecycle_sources.h"

#include "platform/linux/clock_set_source.h"
#include "platform/linux/lifecycle_logging.h"
#include "platform/linux/localtime_watch_source.h"
#include "platform/linux/logind_sleep_source.h"
#include "platform/linux/screensaver_wake_source.h"
#include "platform/linux/timedate_zone_source.h"

namespace tintwell::platform {

Q_LOGGING_CATEGORY(lcLifecycleSources, "tintwell.lifecycle", QtInfoMsg)

std::vector<std::unique_ptr<LifecycleEventSource>> createLinuxLifecycleSources(bool withX11) {
    std::vector<std::unique_ptr<LifecycleEventSource>> sources;
    sources.push_back(std::make_unique<LogindSleepSource>());
    if (withX11)
        sources.push_back(std::make_unique<ScreensaverWakeSource>());
    sources.push_back(std::make_unique<ClockSetSource>());
    sources.push_back(std::make_unique<LocaltimeWatchSource>());
    sources.push_back(std::make_unique<TimedateZoneSource>());
    return sources;
}

} // namespace tintwell::platform
