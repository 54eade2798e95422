#pragma once

#include "core/value_records.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace tintwell::watchers {

using core::AppExceptionRule;

/// The exception editor's operations on the stored rule list. The list is read and written back
/// through two callbacks, so that any store (the settings store, a test vector) can hold it; every
/// write-back is what persists the list and makes the exceptions manager resolve again.
class AppExceptionEditing {
public:
    using ListReader = std::function<std::vector<AppExceptionRule>()>;
    using ListWriter = std::function<void(std::vector<AppExceptionRule>)>;

    /// Read/write handle on the first rule with one application id.
    class RuleBinding {
    public:
        /// That rule, or a placeholder (id as name, native colour, enabled) when there is none.
        AppExceptionRule get() const;
        /// Replaces that rule and writes the list back; dropped when there is none. The application
        /// id is the rule's identity and is kept whatever `rule` says.
        void set(const AppExceptionRule& rule) const;

    private:
        friend class AppExceptionEditing;
        RuleBinding(ListReader read, ListWriter write, std::string bundleId)
            : read_(std::move(read)), write_(std::move(write)), bundleId_(std::move(bundleId)) {}
        ListReader read_;
        ListWriter write_;
        std::string bundleId_;
    };

    AppExceptionEditing(ListReader read, ListWriter write)
        : read_(std::move(read)), write_(std::move(write)) {}

    /// Adds a rule restoring native colour for `bundleId`, or re-enables the first existing rule for
    /// it (name and action kept). An empty id does nothing.
    void addRule(const std::string& bundleId, const std::string& displayName) const;
    /// The handle for one rule row.
    RuleBinding ruleBinding(const std::string& bundleId) const {
        return RuleBinding(read_, write_, bundleId);
    }
    /// Removes the rules at these list positions (positions outside the list are ignored) and
    /// writes the list back.
    void deleteRules(std::vector<std::size_t> positions) const;

private:
    ListReader read_;
    ListWriter write_;
};

} // namespace tintwell::watchers
