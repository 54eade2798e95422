#include "platform/display_lookup.h"
#include "platform/virtual/virtual_display_services.h"

#include <gtest/gtest.h>

using namespace tintwell::platform;

namespace {

DisplayDescription display(DisplayId id, std::string name, std::optional<DisplayId> mirrorOf = {},
                           std::optional<std::string> key = {}) {
    DisplayDescription d;
    d.id = id;
    d.name = std::move(name);
    d.bounds = {1000.0 * id, 0, 1000, 800};
    d.isMain = id == 7;
    d.mirrorOf = mirrorOf;
    d.key = std::move(key);
    return d;
}

TEST(DisplayLookup, ConnectedDisplaysLeaveOutMirrorsAndNameTheNameless) {
    VirtualDisplayServices displays(0);
    displays.setDisplays({display(7, "Studio"), display(8, "Beamer", 7), display(9, "")});
    EXPECT_EQ(DisplayLookup::onlineDisplays(displays), (std::vector<DisplayId>{7, 8, 9}));
    const std::vector<DisplayLookup::DisplayInfo> expected = {{7, "Studio", {7000, 0, 1000, 800}, true},
                                                              {9, "Display 9", {9000, 0, 1000, 800}, false}};
    EXPECT_EQ(DisplayLookup::connectedDisplays(displays), expected);
    EXPECT_EQ(DisplayLookup::displayName(displays, 42), "Display 42");
}

TEST(DisplayIdentityCache, RemembersKeysAndMissesUntilReset) {
    VirtualDisplayServices displays(0);
    displays.setDisplays({display(7, "A", {}, "KEY-7"), display(8, "B")});
    int asked = 0;
    DisplayIdentityCache cache([&](DisplayId id) {
        ++asked;
        const auto d = displays.describe(id);
        return d ? d->key : std::nullopt;
    });
    EXPECT_EQ(cache.displayKey(7), "KEY-7");
    EXPECT_EQ(cache.displayKey(8), std::nullopt);
    displays.setDisplays({display(7, "A", {}, "KEY-7"), display(8, "B", {}, "KEY-8")});
    EXPECT_EQ(cache.displayKey(8), std::nullopt); // a remembered miss until the next reset
    EXPECT_EQ(cache.displayKey(7), "KEY-7");
    EXPECT_EQ(asked, 2);
    cache.reset();
    EXPECT_EQ(cache.displayKey(8), "KEY-8");
    EXPECT_EQ(asked, 3);

    DisplayIdentityCache fromServices(displays);
    EXPECT_EQ(fromServices.displayKey(8), "KEY-8");
}

} // namespace
