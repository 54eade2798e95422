#pragma once

#include "updates/update_presenter.h"

#include <functional>

class QSystemTrayIcon;

namespace tintwell::updates {

/// Update answers for a desktop user: a small dialog for a check they asked for, one tray
/// notification for an automatic check.
class TrayUpdatePresenter : public UpdatePresenter {
public:
    /// `trayIcon` gives the icon to notify through, or null when there is no tray.
    explicit TrayUpdatePresenter(std::function<QSystemTrayIcon*()> trayIcon);

    void showAvailable(const AppcastItem& item, const std::string& currentVersion) override;
    void showUpToDate() override;
    void showError(const QString& reason) override;
    void showNoFeed() override;
    void notifyAvailable(const AppcastItem& item, const std::string& currentVersion) override;

private:
    std::function<QSystemTrayIcon*()> trayIcon_;
};

} // namespace tintwell::updates
