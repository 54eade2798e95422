#include "updates/console_update_presenter.h"

#include "platform/outside_text.h"

#include <nlohmann/json.hpp>

namespace tintwell::updates {
namespace {

nlohmann::ordered_json orNull(const std::optional<std::string>& s) {
    return s ? nlohmann::ordered_json(*s) : nlohmann::ordered_json(nullptr);
}

/// A line of text output: the feed's texts and the server's words reach a terminal only made safe.
std::string safe(const std::string& text) {
    return platform::terminalSafe(text);
}

std::string safe(const QString& text) {
    return safe(text.toStdString());
}

} // namespace

void ConsoleUpdatePresenter::showAvailable(const AppcastItem& item, const std::string& currentVersion) {
    status_ = 0;
    if (json_) {
        out_ << nlohmann::ordered_json{{"status", "available"},
                                       {"version", orNull(item.versionString)},
                                       {"shortVersion", orNull(item.shortVersionString)},
                                       {"link", orNull(item.downloadLink())},
                                       {"releaseNotes", orNull(item.releaseNotesLink)}}
                    .dump(2)
             << '\n';
        return;
    }
    out_ << safe(availableText(item, currentVersion)) << '\n';
    if (item.releaseNotesLink)
        out_ << "Release notes: " << safe(*item.releaseNotesLink) << '\n';
    if (const auto link = item.downloadLink())
        out_ << "Download: " << safe(*link) << '\n';
}

void ConsoleUpdatePresenter::showUpToDate() {
    status_ = 0;
    if (json_)
        out_ << nlohmann::ordered_json{{"status", "up-to-date"}}.dump(2) << '\n';
    else
        out_ << upToDateText().toStdString() << '\n';
}

void ConsoleUpdatePresenter::showError(const QString& reason) {
    status_ = 1;
    if (json_)
        out_ << nlohmann::ordered_json{{"status", "error"}, {"error", reason.toStdString()}}.dump(2) << '\n';
    else
        out_ << safe(errorText(reason)) << '\n';
}

void ConsoleUpdatePresenter::showNoFeed() {
    status_ = 0;
    if (json_)
        out_ << nlohmann::ordered_json{{"status", "no-feed"}, {"message", noFeedText().toStdString()}}.dump(2)
             << '\n';
    else
        out_ << noFeedText().toStdString() << '\n';
}

void ConsoleUpdatePresenter::notifyAvailable(const AppcastItem& item, const std::string& currentVersion) {
    out_ << safe(availableText(item, currentVersion)) << '\n';
}

} // namespace tintwell::updates
