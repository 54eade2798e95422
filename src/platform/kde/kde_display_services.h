#pragma once

#include "platform/display_services.h"

#include <memory>

#include <QDBusConnection>
#include <QString>

namespace tintwell::platform {

/// KDE Plasma's displays as KWin lets a client colour them: through KWin's own night light, one
/// colour temperature for all outputs, which KWin ramps to by itself. The backend shows one display
/// standing for all of them; the Kelvin of the tables it is given becomes KWin's constant night
/// temperature (brightness and gamma cannot be passed on, capabilities() says so).
///
/// KWin takes the temperature from the `[NightColor]` group of `kwinrc` when told the file changed
/// (`org.kde.kconfig.notify.ConfigChanged` on `/kwinrc`). The group as the user had it is kept, in
/// memory and in a state file for a start after a crash, and written back by
/// restoreSystemCalibration().
///
/// Every method may be called from any thread; writes are at most one a second, the last one wins.
class KdeDisplayServices final : public DisplayServices {
    Q_OBJECT
public:
    struct Options {
        QString kwinrc;    ///< KWin's settings file
        QString stateFile; ///< where the user's group is kept while Tintwell holds it; empty: nowhere
    };
    /// `$XDG_CONFIG_HOME/kwinrc` and `$XDG_STATE_HOME/tintwell/kwin-night-color.ini`.
    static Options defaultOptions();

    /// The one display's id.
    static constexpr DisplayId allDisplays = 1;
    /// The shortest time between two writes of KWin's settings.
    static constexpr int kWriteIntervalMs = 1000;

    /// Nothing when KWin's night light does not answer on `bus`; `error` then says so in one line.
    static std::unique_ptr<KdeDisplayServices> create(const QDBusConnection& bus, const Options& options,
                                                      QString* error);
    ~KdeDisplayServices() override;

    std::vector<DisplayId> onlineDisplays() override;
    std::optional<DisplayDescription> describe(DisplayId id) override;
    void setTransferTables(DisplayId id, const core::TransferTables& tables) override;
    std::optional<core::TransferTables> readTransferTables(DisplayId id) override;
    void restoreSystemCalibration() override;
    DisplayCapabilities capabilities() const override;

    /// The colour temperature that `tables` show, within KWin's 1000…6500 K; the identity is 6500 K.
    static int kelvinOf(const core::TransferTables& tables);

private:
    struct Impl;
    explicit KdeDisplayServices(std::unique_ptr<Impl> impl);
    void flush();

    std::unique_ptr<Impl> d;
};

} // namespace tintwell::platform
