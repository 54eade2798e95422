#pragma once

#include <QString>

namespace tintwell::updates {

/// The update feed address: the environment variable TINTWELL_UPDATE_FEED when it is set (empty
/// included), else the address the program was built with. Empty: no feed, the package manager
/// delivers updates.
QString configuredFeedUrl();

} // namespace tintwell::updates
