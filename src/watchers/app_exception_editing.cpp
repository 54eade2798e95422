#include "watchers/app_exception_editing.h"

#include <algorithm>

namespace tintwell::watchers {
namespace {

auto withId(const std::string& bundleId) {
    return [&bundleId](const AppExceptionRule& r) { return r.bundleId == bundleId; };
}

} // namespace

void AppExceptionEditing::addRule(const std::string& bundleId, const std::string& displayName) const {
    if (bundleId.empty())
        return;
    auto rules = read_();
    const auto it = std::find_if(rules.begin(), rules.end(), withId(bundleId));
    if (it != rules.end())
        it->enabled = true;
    else
        rules.push_back({bundleId, displayName, core::Disable{}, true});
    write_(std::move(rules));
}

void AppExceptionEditing::deleteRules(std::vector<std::size_t> positions) const {
    auto rules = read_();
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    // From the back, so that earlier positions still name the rules they named.
    for (auto it = positions.rbegin(); it != positions.rend(); ++it)
        if (*it < rules.size())
            rules.erase(rules.begin() + static_cast<std::ptrdiff_t>(*it));
    write_(std::move(rules));
}

AppExceptionRule AppExceptionEditing::RuleBinding::get() const {
    const auto rules = read_();
    const auto it = std::find_if(rules.begin(), rules.end(), withId(bundleId_));
    if (it != rules.end())
        return *it;
    return {bundleId_, bundleId_, core::Disable{}, true};
}

void AppExceptionEditing::RuleBinding::set(const AppExceptionRule& rule) const {
    auto rules = read_();
    const auto it = std::find_if(rules.begin(), rules.end(), withId(bundleId_));
    if (it == rules.end())
        return;
    *it = rule;
    it->bundleId = bundleId_;
    write_(std::move(rules));
}

} // namespace tintwell::watchers
