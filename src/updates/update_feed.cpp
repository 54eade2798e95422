#include "updates/update_feed.h"

#include <QtGlobal>

namespace tintwell::updates {

QString configuredFeedUrl() {
    if (qEnvironmentVariableIsSet("TINTWELL_UPDATE_FEED"))
        return qEnvironmentVariable("TINTWELL_UPDATE_FEED").trimmed();
#ifdef TINTWELL_UPDATE_FEED
    return QString(TINTWELL_UPDATE_FEED).trimmed();
#else
    return {};
#endif
}

} // namespace tintwell::updates
