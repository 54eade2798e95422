// The Wayland display and workspace services against a compositor of our own
// (tests/support/test_compositor), which records every gamma table it is given.
#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_display_services.h"
#include "platform/wayland/wayland_outputs.h"
#include "platform/wayland/wayland_workspace_services.h"
#include "support/event_loop.h"
#include "support/expected_table.h"
#include "support/test_compositor.h"
#include "watchers/display_windows.h"

#include <cmath>
#include <regex>

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tintwell;
using namespace tintwell::platform;
using test::TestCompositor;

namespace {

std::vector<std::string> gLog;
void collect(QtMsgType, const QMessageLogContext&, const QString& message) {
    gLog.push_back(message.toStdString());
}
int logLines(const std::string& part) {
    return int(
        std::count_if(gLog.begin(), gLog.end(), [&](const auto& l) { return l.find(part) != l.npos; }));
}

TestCompositor::OutputSetup output(std::string name, int x, int gammaSize,
                                   std::string model = "Test Monitor") {
    return {.name = std::move(name), .model = std::move(model), .x = x, .gammaSize = gammaSize};
}

class WaylandServicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::application();
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
            qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        gLog.clear();
        previous = qInstallMessageHandler(collect);
    }
    void TearDown() override {
        displays.reset();
        workspace.reset();
        outputs.reset();
        connection.reset();
        qInstallMessageHandler(previous);
    }
    void start(std::vector<TestCompositor::OutputSetup> setups, bool withToplevels = true) {
        compositor = std::make_unique<TestCompositor>(std::move(setups), withToplevels);
        qputenv("WAYLAND_DISPLAY", compositor->socket().c_str());
        QString error;
        connection = WaylandConnection::open(&error);
        ASSERT_TRUE(connection) << error.toStdString();
        outputs = std::make_shared<WaylandOutputs>(connection);
        displays = WaylandDisplayServices::create(connection, outputs, &error);
        ASSERT_TRUE(displays) << error.toStdString();
        workspace = std::make_unique<WaylandWorkspaceServices>(connection, outputs);
    }
    DisplayId idOf(const std::string& name) {
        for (DisplayId id : displays->onlineDisplays())
            if (outputs->output(id)->name == name)
                return id;
        return 0;
    }
    bool tablesArrive(int index, std::size_t count) {
        return test::spinUntil([&] { return compositor->tables(index).size() >= count; });
    }

    QTemporaryDir runtime;
    QtMessageHandler previous = nullptr;
    std::unique_ptr<TestCompositor> compositor;
    std::shared_ptr<WaylandConnection> connection;
    std::shared_ptr<WaylandOutputs> outputs;
    std::unique_ptr<WaylandDisplayServices> displays;
    std::unique_ptr<WaylandWorkspaceServices> workspace;
};

TEST_F(WaylandServicesTest, OutputsAreDescribedFromOutputAndXdgOutput) {
    start({output("DP-1", 0, 256), output("DP-2", 1920, 1024), output("HDMI-A-1", 3840, 256, "Other Model")});
    const auto ids = displays->onlineDisplays();
    ASSERT_EQ(ids.size(), 3u);
    const auto a = displays->describe(ids[0]), b = displays->describe(ids[1]), c = displays->describe(ids[2]);
    EXPECT_EQ(a->name, "Test Monitor");
    EXPECT_TRUE(a->isMain);
    EXPECT_FALSE(b->isMain);
    EXPECT_EQ(b->bounds, (Rect{1920, 0, 1920, 1080}));
    EXPECT_EQ(a->gammaSize, 256);
    EXPECT_EQ(b->gammaSize, 1024);
    // Two monitors of one model are told apart by connector; a model of its own needs none.
    EXPECT_NE(a->key, b->key);
    EXPECT_EQ(c->key, WaylandOutputs::displayKey(*outputs->output(ids[2]), false));
    const std::regex keyForm("[0-9A-F]{8}-[0-9A-F]{4}-5[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    EXPECT_TRUE(std::regex_match(*c->key, keyForm)) << *c->key;
}

// The tables the compositor receives are what RandR would get for the same tables: each 256-entry
// table resampled linearly to the output's size, in 16 bits, red then green then blue.
TEST_F(WaylandServicesTest, TablesArriveExactlyAsOnX11AtTheAnnouncedSize) {
    start({output("DP-1", 0, 256), output("DP-2", 1920, 1024), output("DP-3", 3840, 17)});
    const auto ids = displays->onlineDisplays();
    // A size the compositor did not announce is a protocol error there: no table would arrive.
    std::size_t written = 0;
    for (const auto& tables :
         {core::ColorTemperature::gammaRamp(6500, 1, 1), core::ColorTemperature::gammaRamp(1900, 0.6, 1.3)}) {
        ++written;
        for (int i = 0; i < 3; ++i) {
            const int size = displays->describe(ids[std::size_t(i)])->gammaSize;
            displays->setTransferTables(ids[std::size_t(i)], tables);
            ASSERT_TRUE(tablesArrive(i, written));
            EXPECT_TRUE(test::isExpectedTable(compositor->tables(i).back(), tables, size))
                << size << " entries";
        }
        EXPECT_NEAR(displays->readTransferTables(ids[0])->g[128], tables.g[128], 1.0 / 65535);
    }
}

TEST_F(WaylandServicesTest, ARefusedControlIsToldOnceAndTriedAgainWhenTheOutputComesBack) {
    start({output("HEADLESS-1", 0, 0), output("DP-2", 1920, 256)});
    const DisplayId headless = idOf("HEADLESS-1");
    EXPECT_EQ(logLines("Output HEADLESS-1 (Tintwell Test Monitor (HEADLESS-1)) cannot be tinted"), 1);
    EXPECT_EQ(displays->describe(headless)->gammaSize, 0);
    const auto tables = core::ColorTemperature::gammaRamp(3000, 1, 1);
    displays->setTransferTables(headless, tables);
    displays->setTransferTables(idOf("DP-2"), tables);
    ASSERT_TRUE(tablesArrive(1, 1));
    EXPECT_TRUE(compositor->tables(0).empty());

    // Another program takes DP-2 over: told once, and nothing more is sent there.
    compositor->takeOver(1);
    ASSERT_TRUE(test::spinUntil([&] { return logLines("Output DP-2") == 1; }));
    EXPECT_NE(gLog.back().find("took its gamma control away"), std::string::npos) << gLog.back();
    displays->setTransferTables(idOf("DP-2"), tables);
    test::spinUntil([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_EQ(compositor->tables(1).size(), 1u);
    EXPECT_EQ(logLines("Output DP-2"), 1);

    // The monitor is unplugged and plugged in again: a new output, asked afresh.
    QSignalSpy reconfigured(displays.get(), &DisplayServices::displaysReconfigured);
    compositor->removeOutput(1);
    ASSERT_TRUE(test::spinUntil([&] { return displays->onlineDisplays().size() == 1; }));
    const int again = compositor->addOutput(output("DP-2", 1920, 256));
    ASSERT_TRUE(test::spinUntil([&] { return displays->onlineDisplays().size() == 2; }));
    EXPECT_GE(reconfigured.count(), 2);
    displays->setTransferTables(idOf("DP-2"), tables);
    EXPECT_TRUE(tablesArrive(again, 1));
}

TEST_F(WaylandServicesTest, TheActiveToplevelIsFrontmostAndItsOutputsHoldItsWindows) {
    start({output("DP-1", 0, 256), output("DP-2", 1920, 256)});
    QSignalSpy frontmost(workspace.get(), &WorkspaceServices::frontmostApplicationChanged);
    QSignalSpy closed(workspace.get(), &WorkspaceServices::windowClosed);
    const int editor = compositor->addToplevel("org.example.Editor", 0);
    const int player = compositor->addToplevel("org.example.Player", 0);
    compositor->activate(player);
    ASSERT_TRUE(test::spinUntil([&] { return workspace->frontmostApplication().has_value(); }));
    const auto front = *workspace->frontmostApplication();
    EXPECT_EQ(front.applicationId, "org.example.Player");
    EXPECT_LT(front.pid, 0);
    EXPECT_EQ(workspace->runningApplications().size(), 2u);

    const auto holding = [&] {
        return watchers::displaysContainingWindows(*workspace, *displays, front.pid);
    };
    EXPECT_EQ(holding(), (std::set<DisplayId>{idOf("DP-1")}));
    compositor->moveToplevel(player, 1);
    ASSERT_TRUE(test::spinUntil([&] { return holding() == std::set<DisplayId>{idOf("DP-2")}; }));

    compositor->activate(editor);
    ASSERT_TRUE(test::spinUntil([&] {
        return frontmost.count() > 0 && frontmost.last().at(0).value<std::optional<RunningApplication>>() &&
               frontmost.last().at(0).value<std::optional<RunningApplication>>()->applicationId ==
                   "org.example.Editor";
    }));
    compositor->closeToplevel(editor);
    ASSERT_TRUE(test::spinUntil([&] { return closed.count() == 1; }));
    EXPECT_FALSE(workspace->frontmostApplication());
}

TEST_F(WaylandServicesTest, WithoutTheToplevelListTheWorkspaceSaysSo) {
    start({output("DP-1", 0, 256)}, false);
    EXPECT_FALSE(workspace->available());
    EXPECT_NE(workspace->unavailableReason().indexOf("wlr-foreign-toplevel-management"), -1);
    EXPECT_TRUE(workspace->runningApplications().empty());
    EXPECT_FALSE(workspace->frontmostApplication());
}

} // namespace
