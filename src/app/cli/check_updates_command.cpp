#include "app/cli/check_updates_command.h"

#include "app/cli/user_settings.h"
#include "settings/app_state.h"
#include "updates/appcast_updater.h"
#include "updates/console_update_presenter.h"
#include "updates/update_channel_delegate.h"
#include "updates/update_feed.h"

#include <QEventLoop>

namespace tintwell::app {

using namespace tintwell::updates;

int runCheckUpdates(const CommandLine& cl, settings::UserDefaults& defaults, std::ostream& out) {
    // The channel comes from the settings; the updater's own keys are left alone, so that a check
    // from the command line neither starts automatic checks nor moves their schedule.
    const settings::AppState state(defaults);
    UpdateChannelDelegate delegate;
    delegate.setChosenChannel(state.updateChannel());
    settings::InMemoryUserDefaults scratch;
    AppcastUpdater updater(configuredFeedUrl(), delegate, scratch,
                           std::make_shared<scheduling::SystemClock>());
    ConsoleUpdatePresenter presenter(out, cl.json);
    updater.setPresenter(&presenter);

    QEventLoop loop;
    QObject::connect(&updater, &AppcastUpdater::checkFinished, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    updater.checkForUpdates();
    if (!presenter.status())
        loop.exec();
    return presenter.status().value_or(1);
}

int runCheckUpdates(const CommandLine& cl, std::ostream& out) {
    // Only the channel is read.
    return runCheckUpdates(cl, *readOnlyDefaults(), out);
}

} // namespace tintwell::app
