#include "watchers/app_exceptions_manager.h"

#include <cmath>
#include <cstdio>

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcExceptions, "tintwell.exceptions", QtInfoMsg)

namespace tintwell::watchers {
namespace {

std::optional<std::string> applicationId(const std::optional<platform::RunningApplication>& app) {
    if (!app || app->applicationId.empty())
        return std::nullopt;
    return app->applicationId;
}

} // namespace

std::string ResolvedAppOverride::summary() const {
    if (const auto* force = std::get_if<core::ForceKelvin>(&rule.action)) {
        char kelvin[64];
        // std::round rounds halves away from zero; adding 0 turns a negative zero into "0".
        std::snprintf(kelvin, sizeof kelvin, "%.0f", std::round(force->kelvin) + 0.0);
        return rule.displayName + " \u2014 " + kelvin + " K";
    }
    return rule.displayName + " \u2014 paused";
}

AppExceptionsManager::AppExceptionsManager(RulesSource rules, platform::WorkspaceServices* workspace,
                                           QObject* parent)
    : QObject(parent), rules_(std::move(rules)), workspace_(workspace) {
    debounceTimer_.setSingleShot(true);
    connect(&debounceTimer_, &QTimer::timeout, this, &AppExceptionsManager::resolve);
}

void AppExceptionsManager::start() {
    if (observer_ || !workspace_)
        return;
    observer_ = connect(
        workspace_, &platform::WorkspaceServices::frontmostApplicationChanged, this,
        [this](const std::optional<platform::RunningApplication>& app) { setFrontmost(applicationId(app)); });
    setFrontmost(applicationId(workspace_->frontmostApplication()));
}

void AppExceptionsManager::stop() {
    disconnect(observer_);
    observer_ = {};
    debounceTimer_.stop();
}

void AppExceptionsManager::setFrontmost(const std::optional<std::string>& bundleId) {
    if (bundleId == frontmostBundleId_)
        return;
    frontmostBundleId_ = bundleId;
    qCDebug(lcExceptions, "Frontmost application: %s", bundleId ? bundleId->c_str() : "none");
    Q_EMIT frontmostBundleIdChanged(frontmostBundleId_);
    if (debounceInterval_ <= Seconds::zero()) {
        debounceTimer_.stop();
        resolve();
        return;
    }
    debounceTimer_.start(std::chrono::round<std::chrono::milliseconds>(debounceInterval_));
}

void AppExceptionsManager::resolve() {
    std::optional<ResolvedAppOverride> candidate;
    if (frontmostBundleId_) {
        for (const auto& rule : rules_ ? rules_() : std::vector<AppExceptionRule>{}) {
            if (rule.enabled && rule.bundleId == *frontmostBundleId_) {
                candidate = ResolvedAppOverride{rule};
                break;
            }
        }
    }
    if (candidate == activeOverride_)
        return;
    activeOverride_ = std::move(candidate);
    qCInfo(lcExceptions, "App exception in force: %s",
           activeOverride_ ? activeOverride_->summary().c_str() : "none");
    Q_EMIT activeOverrideChanged(activeOverride_);
}

} // namespace tintwell::watchers
