// The record of the ramps found before the first write, read at the start after a crash.
#include "fuzz_support.h"
#include "platform/x11/saved_ramps_record.h"

using namespace tintwell;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::silenceLogging();
    std::string error;
    const auto entries =
        platform::decodeSavedRamps(std::string(reinterpret_cast<const char*>(data), size), &error);
    if (entries) {
        // A decoded record written again must decode to the same entries.
        const auto again = platform::decodeSavedRamps(platform::encodeSavedRamps(*entries), &error);
        if (!again || *again != *entries)
            __builtin_trap();
    }
    return 0;
}
