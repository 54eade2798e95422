// The manual page, made from the real option table and checked by the tool that will read it.

#include "app/cli/command_registry.h"
#include "app/cli/option_documents.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace tintwell::app {
namespace {

TEST(OptionDocuments, TheManualPageRendersCleanlyWithEveryOption) {
    // -ww: every warning; -Tutf8 without preconv: any raw non-ASCII byte would be flagged.
    QProcess groff;
    groff.start("groff", {"-man", "-ww", "-Tutf8", "-P", "-cbou"});
    ASSERT_TRUE(groff.waitForStarted(5000));
    groff.write(optionDocuments::manualPage(commandLineOptions(), "1.2.3").toUtf8());
    groff.closeWriteChannel();
    ASSERT_TRUE(groff.waitForFinished(10000));
    const QString out = QString::fromUtf8(groff.readAllStandardOutput());
    EXPECT_EQ(groff.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(groff.readAllStandardError()), "");
    for (const QString needle :
         {"--location LAT,LON", "--status", "-h, --help", "[KEY=VALUE…]", "tintwell 1.2.3"})
        EXPECT_TRUE(out.contains(needle)) << needle.toStdString();
}

} // namespace
} // namespace tintwell::app
