// The time-zone estimate: a TZ value, then zone1970.tab, zone.tab and tzdata.zi as the estimate
// reads them from the zoneinfo folder. The parts are cut at 0x01 bytes.
#include "fuzz_support.h"
#include "platform/linux/time_zone_location.h"

using namespace tintwell;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::silenceLogging();
    const auto parts = fuzz::split(data, size, '\x01', 4);
    const std::string& dir = fuzz::scratchDir();
    fuzz::writeFile(dir + "/zone1970.tab", parts[1]);
    fuzz::writeFile(dir + "/zone.tab", parts[2]);
    fuzz::writeFile(dir + "/tzdata.zi", parts[3]);
    const QString tz = QString::fromUtf8(parts[0].data(), qsizetype(parts[0].size()));
    (void)platform::parseIso6709(tz);
    if (const auto zone = platform::zoneNameFromTz(tz))
        (void)platform::locationOfZone(*zone, QString::fromStdString(dir));
    return 0;
}
