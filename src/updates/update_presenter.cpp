#include "updates/update_presenter.h"

namespace tintwell::updates {

QString availableText(const AppcastItem& item, const std::string& currentVersion) {
    return QString("Tintwell %1 is available — you have %2.")
        .arg(QString::fromStdString(item.displayVersion()), QString::fromStdString(currentVersion));
}

QString upToDateText() {
    return "You're up to date.";
}

QString errorText(const QString& reason) {
    return "Couldn't check for updates: " + reason + ".";
}

QString noFeedText() {
    return "This build gets its updates from your package manager.";
}

} // namespace tintwell::updates
