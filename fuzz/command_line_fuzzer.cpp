// The command line: the arguments (cut at NUL bytes) through the parser, and for --set and --get
// the checks of every KEY=VALUE against a settings file of their own.
#include "app/cli/command_line.h"
#include "app/cli/command_registry.h"
#include "app/cli/settings_command.h"
#include "fuzz_support.h"

#include <cstdio>
#include <sstream>

using namespace tintwell;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::silenceLogging();
    QStringList arguments{QStringLiteral("tintwell")};
    for (const auto part : fuzz::split(data, size, '\0'))
        arguments << QString::fromUtf8(part.data(), qsizetype(part.size()));
    const auto parsed = app::parseCommandLine(arguments);
    const auto* ok = std::get_if<app::ParsedCommandLine>(&parsed);
    if (!ok)
        return 0;
    const app::CommandLine& cl = ok->values;
    const auto& selector = ok->command->selector;
    const QString mode = selector ? selector->option.names().constFirst() : QString();
    if (mode != QStringLiteral("set") && mode != QStringLiteral("get"))
        return 0;
    const std::string path = fuzz::scratchDir() + "/defaults.json";
    std::remove(path.c_str());
    settings::JsonFileUserDefaults defaults(path);
    std::ostringstream out, err;
    if (mode == QStringLiteral("set"))
        app::runSet(cl, defaults, out, err);
    else
        app::runGet(cl, defaults, out, err);
    return 0;
}
