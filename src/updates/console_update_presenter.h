#pragma once

#include "updates/update_presenter.h"

#include <optional>
#include <ostream>

namespace tintwell::updates {

/// Answers for the command line: one line of text (with the links after it) or one JSON object.
class ConsoleUpdatePresenter final : public UpdatePresenter {
public:
    ConsoleUpdatePresenter(std::ostream& out, bool json) : out_(out), json_(json) {}

    void showAvailable(const AppcastItem& item, const std::string& currentVersion) override;
    void showUpToDate() override;
    void showError(const QString& reason) override;
    void showNoFeed() override;
    void notifyAvailable(const AppcastItem& item, const std::string& currentVersion) override;

    /// The exit status of the answer given: 0, or 1 for an error; nothing before an answer.
    std::optional<int> status() const { return status_; }

private:
    std::ostream& out_;
    bool json_;
    std::optional<int> status_;
};

} // namespace tintwell::updates
