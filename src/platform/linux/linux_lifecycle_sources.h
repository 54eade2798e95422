#pragma once

#include "platform/lifecycle_event_source.h"

#include <memory>
#include <vector>

namespace tintwell::platform {

/// Every Linux source of lifecycle events, none started: resume from sleep (logind), screens
/// waking (X screen saver, only with `withX11`), the system clock set (timerfd), and time-zone
/// changes (/etc/localtime, timedated). Each one that cannot run here says so once when started;
/// the others work regardless.
std::vector<std::unique_ptr<LifecycleEventSource>> createLinuxLifecycleSources(bool withX11);

} // namespace tintwell::platform
