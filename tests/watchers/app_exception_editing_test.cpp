#include "watchers/app_exception_editing.h"

#include <gtest/gtest.h>

namespace tintwell::watchers {
namespace {

using core::Disable;
using core::ForceKelvin;

struct Store {
    std::vector<AppExceptionRule> rules;
    int writes = 0;
    AppExceptionEditing editing{[this] { return rules; },
                                [this](std::vector<AppExceptionRule> r) {
                                    rules = std::move(r);
                                    ++writes;
                                }};
};

const AppExceptionRule kEditor{"org.example.Editor", "Editor", ForceKelvin{4000}, false};
const AppExceptionRule kPlayer{"org.example.Player", "Player", Disable{}, true};

TEST(AppExceptionEditing, AddingAppendsANativeColourRuleOrEnablesTheApplicationsOwn) {
    Store store{{kPlayer, kEditor}};
    store.editing.addRule("org.example.New", "New");
    store.editing.addRule("org.example.Editor", "New"); // name and action kept
    store.editing.addRule("", "New");                   // nothing to add
    EXPECT_EQ(store.rules,
              (std::vector<AppExceptionRule>{kPlayer,
                                             {"org.example.Editor", "Editor", ForceKelvin{4000}, true},
                                             {"org.example.New", "New", Disable{}, true}}));
    EXPECT_EQ(store.writes, 2);
}

TEST(AppExceptionEditing, RuleBindingReadsAndWritesTheFirstRuleWithTheIdOrNothing) {
    Store store{{kEditor, kPlayer, {"org.example.Editor", "Second", Disable{}, true}}};
    const auto binding = store.editing.ruleBinding("org.example.Editor");
    EXPECT_EQ(binding.get(), kEditor);

    AppExceptionRule edited{"org.example.Editor", "Text editor", ForceKelvin{3500}, true};
    binding.set(edited);
    EXPECT_EQ(store.rules[0], edited);
    EXPECT_EQ(store.rules[2].displayName, "Second");

    // The id is the rule's identity: a written rule cannot move to another application.
    edited.bundleId = "org.example.Player";
    binding.set(edited);
    EXPECT_EQ(store.rules[0].bundleId, "org.example.Editor");
    EXPECT_EQ(store.rules[1], kPlayer);

    // Without a rule: a placeholder is read and writes are dropped.
    const auto gone = store.editing.ruleBinding("org.example.Gone");
    EXPECT_EQ(gone.get(), (AppExceptionRule{"org.example.Gone", "org.example.Gone", Disable{}, true}));
    const int writes = store.writes;
    gone.set({"org.example.Gone", "Gone", ForceKelvin{2000}, true});
    EXPECT_EQ(store.rules.size(), 3u);
    EXPECT_EQ(store.writes, writes);
}

TEST(AppExceptionEditing, DeleteRulesAtPositions) {
    const AppExceptionRule a{"a", "A", Disable{}, true}, b{"b", "B", Disable{}, true},
        c{"c", "C", Disable{}, true};
    const std::pair<std::vector<std::size_t>, std::vector<AppExceptionRule>> cases[] = {
        {{0, 2}, {b}}, {{1, 7}, {a, c}}, {{}, {a, b, c}}};
    for (const auto& [positions, after] : cases) {
        Store store{{a, b, c}};
        store.editing.deleteRules(positions);
        EXPECT_EQ(store.rules, after);
        EXPECT_EQ(store.writes, 1);
    }
}

} // namespace
} // namespace tintwell::watchers
