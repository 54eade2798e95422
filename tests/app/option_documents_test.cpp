// The manual page and completions, made from the real option table and checked by the tools that
// will read them.

#include "app/cli/command_registry.h"
#include "app/cli/option_documents.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace tintwell::app {
namespace {

struct ToolRun {
    int status = -1;
    QString out, err;
};

ToolRun run(const QString& program, const QStringList& arguments, const QString& input = {}) {
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForStarted(5000))
        return {};
    p.write(input.toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(10000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

TEST(OptionDocuments, TheManualPageRendersCleanlyWithEveryOption) {
    const QString page = optionDocuments::manualPage(commandLineOptions(), "1.2.3");
    // -ww: every warning; -Tutf8 without preconv: any raw non-ASCII byte would be flagged.
    const ToolRun r = run("groff", {"-man", "-ww", "-Tutf8", "-P", "-cbou"}, page);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, "");
    for (const QString needle :
         {"--location LAT,LON", "--status", "-h, --help", "[KEY=VALUE…]", "tintwell 1.2.3"})
        EXPECT_TRUE(r.out.contains(needle)) << needle.toStdString();
}

} // namespace
} // namespace tintwell::app
