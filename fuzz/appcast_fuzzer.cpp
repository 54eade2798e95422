// The update feed as the update check reads it.
#include "fuzz_support.h"
#include "updates/appcast.h"

using namespace tintwell;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::silenceLogging();
    const auto parsed =
        updates::parseAppcast(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (const auto* items = std::get_if<std::vector<updates::AppcastItem>>(&parsed))
        for (const auto& item : *items) {
            (void)item.displayVersion();
            (void)item.downloadLink();
        }
    return 0;
}
