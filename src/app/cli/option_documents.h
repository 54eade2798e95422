#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>

namespace tintwell::app {

/// Documents made from the same option table as --help, so that none of them can fall behind it.
namespace optionDocuments {

/// The tintwell(1) manual page, in man(7) roff.
QString manualPage(const QList<QCommandLineOption>& options, const QString& version);
/// A bash completion script (bash-completion's completions/ folder).
QString bashCompletion(const QList<QCommandLineOption>& options);
/// A zsh completion function (#compdef), for a folder on $fpath.
QString zshCompletion(const QList<QCommandLineOption>& options);

} // namespace optionDocuments
} // namespace tintwell::app
