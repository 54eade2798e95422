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

TEST(AppExceptionEditing, AddRule) {
    const struct {
        const char* name;
        std::vector<AppExceptionRule> before;
        std::string bundleId;
        std::vector<AppExceptionRule> after;
        int writes;
    } cases[] = {
        {"appends a native-colour rule",
         {kPlayer},
         "org.example.New",
         {kPlayer, {"org.example.New", "New", Disable{}, true}},
         1},
        {"re-enables the existing rule, name and action kept",
         {kPlayer, kEditor},
         "org.example.Editor",
         {kPlayer, {"org.example.Editor", "Editor", ForceKelvin{4000}, true}},
         1},
        {"an empty id adds nothing", {kPlayer}, "", {kPlayer}, 0},
    };
    for (const auto& c : cases) {
        Store store{c.before};
        store.editing.addRule(c.bundleId, "New");
        EXPECT_EQ(store.rules, c.after) << c.name;
        EXPECT_EQ(store.writes, c.writes) << c.name;
    }
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
    const struct {
        std::vector<std::size_t> positions;
        std::vector<AppExceptionRule> after;
    } cases[] = {
        {{0, 2}, {b}},
        {{1, 7}, {a, c}},
        {{}, {a, b, c}},
    };
    for (const auto& tc : cases) {
        Store store{{a, b, c}};
        store.editing.deleteRules(tc.positions);
        EXPECT_EQ(store.rules, tc.after);
        EXPECT_EQ(store.writes, 1);
    }
}

} // namespace
} // namespace tintwell::watchers
