#pragma once

namespace tintwell::updates {

class UpdatePresenter;

/// The update machinery as the application drives it: an automatic-check switch and a check the
/// user asks for. Main thread only.
class Updater {
public:
    virtual ~Updater() = default;

    virtual bool automaticallyChecksForUpdates() const = 0;
    /// On: checks by itself at most once a day. Off: stops at once, a check in progress included.
    virtual void setAutomaticallyChecksForUpdates(bool on) = 0;
    /// A check the user asked for; the answer goes to the presenter.
    virtual void checkForUpdates() = 0;
    /// Where answers and notifications go; null: only the log. Must outlive the updater or be reset.
    virtual void setPresenter(UpdatePresenter* presenter) = 0;
};

} // namespace tintwell::updates
