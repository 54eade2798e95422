// The manual page and completions, made from the real option table and checked by the tools that
// will read them.

#include "app/cli/command_registry.h"
#include "app/cli/option_documents.h"
#include "support/event_loop.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>

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

TEST(OptionDocuments, BashCompletesOptionsAndKnownValuesButNotFreeValues) {
    QTemporaryFile script;
    ASSERT_TRUE(script.open());
    script.write(optionDocuments::bashCompletion(commandLineOptions()).toUtf8());
    script.flush();
    const auto complete = [&](const QString& words) {
        const QString body = QString("source %1; COMP_WORDS=(%2); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); "
                                     "_tintwell; echo \"${COMPREPLY[*]}\"")
                                 .arg(script.fileName(), words);
        return run("bash", {"-c", body}).out.trimmed();
    };
    EXPECT_EQ(complete("tintwell --sta"), "--status");
    EXPECT_EQ(complete("tintwell --backend vi"), "virtual virtual:");
    EXPECT_EQ(complete("tintwell --location ''"), "");
    EXPECT_TRUE(complete("tintwell ''").contains("--list-displays"));
}

TEST(OptionDocuments, TheZshFunctionParses) {
    if (QStandardPaths::findExecutable("zsh").isEmpty())
        GTEST_SKIP() << "zsh is not installed";
    const QString function = optionDocuments::zshCompletion(commandLineOptions());
    const ToolRun r = run("zsh", {"-n"}, function);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(function.startsWith("#compdef tintwell\n"));
}

} // namespace
} // namespace tintwell::app
