#pragma once

#include "core/instant.h"
#include "core/value_records.h"
#include "platform/workspace_services.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QTimer>

namespace tintwell::watchers {

using core::AppExceptionRule;

/// The app exception in force.
struct ResolvedAppOverride {
    AppExceptionRule rule;
    bool operator==(const ResolvedAppOverride&) const = default;

    /// The status line: "Editor — 4500 K" for a pinned Kelvin (rounded half away from zero),
    /// "Editor — paused" for native colour.
    std::string summary() const;
};

/// Watches which application is frontmost and publishes the first enabled rule for it.
///
/// The rule list is read through `rules` whenever a resolve runs; whoever owns the list calls
/// `resolve()` after changing it. Lives on the main thread.
class AppExceptionsManager : public QObject {
    Q_OBJECT
public:
    using RulesSource = std::function<std::vector<AppExceptionRule>()>;

    /// `workspace` may be null: the frontmost id then changes only through setFrontmost().
    AppExceptionsManager(RulesSource rules, platform::WorkspaceServices* workspace,
                         QObject* parent = nullptr);

    /// Begins following the workspace's frontmost application (once; later calls do nothing).
    void start();
    /// Stops following it and drops a pending resolve; the published values stay.
    void stop();

    /// Records the frontmost application id (nothing: none) and resolves once no other change has
    /// come for `debounceInterval` seconds; an unchanged id does nothing.
    void setFrontmost(const std::optional<std::string>& bundleId);
    /// Recomputes `activeOverride` now; publishes only a different value.
    void resolve();

    const std::optional<ResolvedAppOverride>& activeOverride() const { return activeOverride_; }
    const std::optional<std::string>& frontmostBundleId() const { return frontmostBundleId_; }

    /// Seconds (default 0.15); 0 or less resolves synchronously inside setFrontmost().
    void setDebounceInterval(Seconds interval) { debounceInterval_ = interval; }
    /// Whether a debounced resolve is waiting.
    bool resolvePending() const { return debounceTimer_.isActive(); }

Q_SIGNALS:
    /// Emitted after `activeOverride` changed to a different value.
    void activeOverrideChanged(const std::optional<tintwell::watchers::ResolvedAppOverride>& activeOverride);
    /// Emitted after `frontmostBundleId` changed to a different value.
    void frontmostBundleIdChanged(const std::optional<std::string>& frontmostBundleId);

private:
    RulesSource rules_;
    QPointer<platform::WorkspaceServices> workspace_;
    QMetaObject::Connection observer_;
    QTimer debounceTimer_;
    Seconds debounceInterval_{0.15};
    std::optional<ResolvedAppOverride> activeOverride_;
    std::optional<std::string> frontmostBundleId_;
};

} // namespace tintwell::watchers
