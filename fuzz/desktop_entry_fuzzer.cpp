// A desktop entry file as the application chooser reads it.
#include "fuzz_support.h"
#include "ui/model/desktop_entry_file.h"

using namespace tintwell;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::silenceLogging();
    const std::string path = fuzz::scratchDir() + "/org.example.App.desktop";
    fuzz::writeFile(path, {reinterpret_cast<const char*>(data), size});
    (void)ui::readDesktopEntry(path, {"de_CH@euro", "de_CH", "de@euro", "de"});
    return 0;
}
