// Writes the manual page and the shell completions from the program's option table, at build time.

#include "app/cli/command_registry.h"
#include "app/cli/option_documents.h"
#include "app/cli/version_command.h"

#include <iostream>

#include <QDir>
#include <QSaveFile>

using namespace tintwell::app;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: tintwell_docgen OUTPUT_DIRECTORY\n";
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const auto options = commandLineOptions();
    const std::pair<const char*, QString> files[] = {
        {"tintwell.1", optionDocuments::manualPage(options, programVersion())},
        {"tintwell.bash", optionDocuments::bashCompletion(options)},
        {"_tintwell", optionDocuments::zshCompletion(options)},
    };
    for (const auto& [name, text] : files) {
        QSaveFile file(out.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit()) {
            std::cerr << "tintwell_docgen: cannot write " << file.fileName().toStdString() << ": "
                      << file.errorString().toStdString() << '\n';
            return 1;
        }
    }
    return 0;
}
