#include "support/test_compositor.h"

#include <algorithm>
#include <deque>
#include <future>
#include <mutex>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <wayland-server.h>
#include <wlr-foreign-toplevel-management-unstable-v1-server-protocol.h>
#include <wlr-gamma-control-unstable-v1-server-protocol.h>
#include <xdg-output-unstable-v1-server-protocol.h>

namespace tintwell::test {
namespace {

struct Output {
    TestCompositor::OutputSetup setup;
    wl_global* global = nullptr;
    std::vector<wl_resource*> resources; // every client's wl_output
    wl_resource* control = nullptr;      // the gamma control that holds it
    std::vector<TestCompositor::Table> tables;
    std::vector<std::string>* errors = nullptr;
    bool removed = false;
};

struct Toplevel {
    std::string appId;
    int output = 0;
    bool activated = false;
    bool closed = false;
    std::vector<wl_resource*> handles;
};

} // namespace

struct TestCompositor::State {
    wl_display* display = nullptr;
    wl_event_loop* loop = nullptr;
    std::string socket;
    int wake = -1;
    wl_event_source* wakeSource = nullptr;
    std::thread thread;
    bool stop = false;
    std::mutex mutex; // the task queue
    std::deque<std::function<void()>> tasks;

    std::vector<std::unique_ptr<Output>> outputs;
    std::vector<std::unique_ptr<Toplevel>> toplevels;
    std::vector<wl_resource*> toplevelManagers;
    std::vector<std::string> errors;

    int addOutput(const TestCompositor::OutputSetup& setup);
    void sendToplevel(wl_resource* manager, Toplevel& t);
    void sendState(const Toplevel& t, wl_resource* handle);
    void sendOutputs(wl_resource* handle, int output, bool enter);
};

namespace {

using State = TestCompositor::State;

State* stateOf(wl_resource* r) {
    return static_cast<State*>(wl_resource_get_user_data(r));
}

void destroyResource(wl_client*, wl_resource* r) {
    wl_resource_destroy(r);
}

// wl_output -------------------------------------------------------------------------------------

const struct wl_output_interface kOutputImpl = {.release = destroyResource};

void bindOutput(wl_client* client, void* data, std::uint32_t version, std::uint32_t id) {
    auto* o = static_cast<Output*>(data);
    wl_resource* r = wl_resource_create(client, &wl_output_interface, int(version), id);
    wl_resource_set_implementation(r, &kOutputImpl, o, [](wl_resource* r) {
        auto* o = static_cast<Output*>(wl_resource_get_user_data(r));
        std::erase(o->resources, r);
    });
    o->resources.push_back(r);
    const auto& s = o->setup;
    wl_output_send_geometry(r, s.x, s.y, 600, 340, WL_OUTPUT_SUBPIXEL_UNKNOWN, s.make.c_str(),
                            s.model.c_str(), WL_OUTPUT_TRANSFORM_NORMAL);
    wl_output_send_mode(r, WL_OUTPUT_MODE_CURRENT, s.width, s.height, 60000);
    if (version >= 2)
        wl_output_send_scale(r, 1);
    if (version >= 4) {
        wl_output_send_name(r, s.name.c_str());
        wl_output_send_description(r, (s.make + " " + s.model + " (" + s.name + ")").c_str());
    }
    if (version >= 2)
        wl_output_send_done(r);
}

// xdg-output ------------------------------------------------------------------------------------

const struct zxdg_output_v1_interface kXdgOutputImpl = {.destroy = destroyResource};

const struct zxdg_output_manager_v1_interface kXdgManagerImpl = {
    .destroy = destroyResource,
    .get_xdg_output =
        [](wl_client* client, wl_resource* manager, std::uint32_t id, wl_resource* output) {
            auto* o = static_cast<Output*>(wl_resource_get_user_data(output));
            const int version = wl_resource_get_version(manager);
            wl_resource* r = wl_resource_create(client, &zxdg_output_v1_interface, version, id);
            wl_resource_set_implementation(r, &kXdgOutputImpl, nullptr, nullptr);
            zxdg_output_v1_send_logical_position(r, o->setup.x, o->setup.y);
            zxdg_output_v1_send_logical_size(r, o->setup.width, o->setup.height);
            if (version >= 2)
                zxdg_output_v1_send_name(r, o->setup.name.c_str());
            if (version < 3)
                zxdg_output_v1_send_done(r);
            if (wl_resource_get_version(output) >= 2)
                wl_output_send_done(output);
        },
};

// gamma control ----------------------------------------------------------------------------------

void setGamma(wl_client*, wl_resource* r, std::int32_t fd) {
    auto* o = static_cast<Output*>(wl_resource_get_user_data(r));
    if (!o) {
        close(fd);
        return;
    }
    // Read as wlroots does: from the descriptor's current offset, blocking, exactly this much.
    const std::size_t bytes = std::size_t(o->setup.gammaSize) * 3 * sizeof(std::uint16_t);
    TestCompositor::Table table(std::size_t(o->setup.gammaSize) * 3);
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    const ssize_t n = read(fd, table.data(), bytes);
    close(fd);
    if (n != ssize_t(bytes)) {
        o->errors->push_back("gamma table of " + std::to_string(n) + " bytes for " + o->setup.name +
                             ", wanted " + std::to_string(bytes));
        wl_resource_post_error(r, ZWLR_GAMMA_CONTROL_V1_ERROR_INVALID_GAMMA,
                               "The gamma ramps don't have the correct size");
        return;
    }
    o->tables.push_back(std::move(table));
}

const struct zwlr_gamma_control_v1_interface kGammaControlImpl = {.set_gamma = setGamma,
                                                                  .destroy = destroyResource};

void releaseControl(wl_resource* r) {
    if (auto* o = static_cast<Output*>(wl_resource_get_user_data(r)); o && o->control == r)
        o->control = nullptr; // the output shows its own colours again
}

// The output's control fails and is let go, as when another client takes it or the output goes.
void failControl(Output& o) {
    if (!o.control)
        return;
    wl_resource_set_user_data(o.control, nullptr);
    zwlr_gamma_control_v1_send_failed(o.control);
    o.control = nullptr;
}

const struct zwlr_gamma_control_manager_v1_interface kGammaManagerImpl = {
    .get_gamma_control =
        [](wl_client* client, wl_resource*, std::uint32_t id, wl_resource* output) {
            auto* o = static_cast<Output*>(wl_resource_get_user_data(output));
            wl_resource* r = wl_resource_create(client, &zwlr_gamma_control_v1_interface, 1, id);
            if (o->removed || o->setup.gammaSize == 0 || o->control) {
                wl_resource_set_implementation(r, &kGammaControlImpl, nullptr, nullptr);
                zwlr_gamma_control_v1_send_failed(r);
                return;
            }
            wl_resource_set_implementation(r, &kGammaControlImpl, o, releaseControl);
            o->control = r;
            zwlr_gamma_control_v1_send_gamma_size(r, std::uint32_t(o->setup.gammaSize));
        },
    .destroy = destroyResource,
};

// A manager whose requests need no state of the compositor's.
template <const wl_interface* Interface, const auto* Impl>
void bindManager(wl_client* client, void*, std::uint32_t version, std::uint32_t id) {
    wl_resource_set_implementation(wl_resource_create(client, Interface, int(version), id), Impl, nullptr,
                                   nullptr);
}

// foreign toplevels -----------------------------------------------------------------------------

Toplevel* toplevelOf(wl_resource* handle) {
    return static_cast<Toplevel*>(wl_resource_get_user_data(handle));
}

// The client under test only ever destroys its handles.
const auto kHandleImpl = [] {
    struct zwlr_foreign_toplevel_handle_v1_interface impl {};
    impl.destroy = destroyResource;
    return impl;
}();

const struct zwlr_foreign_toplevel_manager_v1_interface kToplevelManagerImpl = {
    .stop = [](wl_client*, wl_resource* r) { zwlr_foreign_toplevel_manager_v1_send_finished(r); },
};

} // namespace

int State::addOutput(const TestCompositor::OutputSetup& setup) {
    auto& o = *outputs.emplace_back(std::make_unique<Output>());
    o.setup = setup;
    o.errors = &errors;
    o.global = wl_global_create(display, &wl_output_interface, 4, &o, bindOutput);
    return int(outputs.size()) - 1;
}

void State::sendOutputs(wl_resource* handle, int output, bool enter) {
    for (wl_resource* r : outputs[std::size_t(output)]->resources)
        if (wl_resource_get_client(r) == wl_resource_get_client(handle))
            (enter ? zwlr_foreign_toplevel_handle_v1_send_output_enter
                   : zwlr_foreign_toplevel_handle_v1_send_output_leave)(handle, r);
}

void State::sendState(const Toplevel& t, wl_resource* handle) {
    wl_array states;
    wl_array_init(&states);
    if (t.activated)
        *static_cast<std::uint32_t*>(wl_array_add(&states, sizeof(std::uint32_t))) =
            ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED;
    zwlr_foreign_toplevel_handle_v1_send_state(handle, &states);
    wl_array_release(&states);
    zwlr_foreign_toplevel_handle_v1_send_done(handle);
}

void State::sendToplevel(wl_resource* manager, Toplevel& t) {
    wl_resource* h =
        wl_resource_create(wl_resource_get_client(manager), &zwlr_foreign_toplevel_handle_v1_interface,
                           wl_resource_get_version(manager), 0);
    wl_resource_set_implementation(h, &kHandleImpl, &t,
                                   [](wl_resource* r) { std::erase(toplevelOf(r)->handles, r); });
    zwlr_foreign_toplevel_manager_v1_send_toplevel(manager, h);
    zwlr_foreign_toplevel_handle_v1_send_app_id(h, t.appId.c_str());
    sendOutputs(h, t.output, true);
    sendState(t, h);
    t.handles.push_back(h);
}

TestCompositor::TestCompositor(std::vector<OutputSetup> outputs, bool withToplevels)
    : s_(std::make_unique<State>()) {
    s_->display = wl_display_create();
    s_->loop = wl_display_get_event_loop(s_->display);
    const char* socket = wl_display_add_socket_auto(s_->display);
    if (!socket)
        throw std::runtime_error("the test compositor cannot listen (is XDG_RUNTIME_DIR set?)");
    s_->socket = socket;
    for (const auto& setup : outputs)
        s_->addOutput(setup);
    wl_global_create(s_->display, &zxdg_output_manager_v1_interface, 3, nullptr,
                     bindManager<&zxdg_output_manager_v1_interface, &kXdgManagerImpl>);
    wl_global_create(s_->display, &zwlr_gamma_control_manager_v1_interface, 1, nullptr,
                     bindManager<&zwlr_gamma_control_manager_v1_interface, &kGammaManagerImpl>);
    if (withToplevels)
        wl_global_create(s_->display, &zwlr_foreign_toplevel_manager_v1_interface, 3, s_.get(),
                         [](wl_client* client, void* data, std::uint32_t version, std::uint32_t id) {
                             auto* s = static_cast<State*>(data);
                             wl_resource* r = wl_resource_create(
                                 client, &zwlr_foreign_toplevel_manager_v1_interface, int(version), id);
                             wl_resource_set_implementation(r, &kToplevelManagerImpl, s, [](wl_resource* r) {
                                 std::erase(stateOf(r)->toplevelManagers, r);
                             });
                             s->toplevelManagers.push_back(r);
                             for (auto& t : s->toplevels)
                                 if (!t->closed)
                                     s->sendToplevel(r, *t);
                         });

    s_->wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    s_->wakeSource = wl_event_loop_add_fd(
        s_->loop, s_->wake, WL_EVENT_READABLE,
        [](int fd, std::uint32_t, void* data) {
            auto* s = static_cast<State*>(data);
            std::uint64_t count = 0;
            (void)read(fd, &count, sizeof count);
            std::lock_guard lock(s->mutex);
            for (; !s->tasks.empty(); s->tasks.pop_front())
                s->tasks.front()();
            return 0;
        },
        s_.get());
    s_->thread = std::thread([s = s_.get()] {
        while (!s->stop) {
            wl_display_flush_clients(s->display);
            wl_event_loop_dispatch(s->loop, -1);
        }
    });
}

TestCompositor::~TestCompositor() {
    run([this] { s_->stop = true; });
    s_->thread.join();
    wl_event_source_remove(s_->wakeSource);
    wl_display_destroy_clients(s_->display);
    wl_display_destroy(s_->display);
    close(s_->wake);
}

void TestCompositor::run(std::function<void()> task) const {
    std::promise<void> done;
    auto finished = done.get_future();
    {
        std::lock_guard lock(s_->mutex);
        s_->tasks.push_back([&] {
            task();
            done.set_value();
        });
    }
    const std::uint64_t one = 1;
    (void)write(s_->wake, &one, sizeof one);
    finished.wait();
}

std::string TestCompositor::socket() const {
    return s_->socket;
}

int TestCompositor::addOutput(const OutputSetup& setup) {
    int index = 0;
    run([&] { index = s_->addOutput(setup); });
    return index;
}

void TestCompositor::removeOutput(int index) {
    run([&] {
        Output& o = *s_->outputs.at(std::size_t(index));
        if (o.removed)
            return;
        o.removed = true;
        // As wlroots does when a monitor goes: the control fails, the global is withdrawn.
        failControl(o);
        wl_global_destroy(o.global);
        o.global = nullptr;
    });
}

std::vector<TestCompositor::Table> TestCompositor::tables(int index) const {
    std::vector<Table> result;
    run([&] { result = s_->outputs.at(std::size_t(index))->tables; });
    return result;
}

bool TestCompositor::controlled(int index) const {
    bool result = false;
    run([&] { result = s_->outputs.at(std::size_t(index))->control != nullptr; });
    return result;
}

void TestCompositor::takeOver(int index) {
    run([&] { failControl(*s_->outputs.at(std::size_t(index))); });
}

std::vector<std::string> TestCompositor::errors() const {
    std::vector<std::string> result;
    run([&] { result = s_->errors; });
    return result;
}

int TestCompositor::addToplevel(const std::string& appId, int output) {
    int index = 0;
    run([&] {
        auto& t = *s_->toplevels.emplace_back(
            std::make_unique<Toplevel>(Toplevel{appId, output, false, false, {}}));
        for (wl_resource* m : s_->toplevelManagers)
            s_->sendToplevel(m, t);
        index = int(s_->toplevels.size()) - 1;
    });
    return index;
}

void TestCompositor::moveToplevel(int toplevel, int output) {
    run([&] {
        Toplevel& t = *s_->toplevels.at(std::size_t(toplevel));
        for (wl_resource* h : t.handles) {
            s_->sendOutputs(h, t.output, false);
            s_->sendOutputs(h, output, true);
            s_->sendState(t, h);
        }
        t.output = output;
    });
}

void TestCompositor::activate(int toplevel) {
    run([&] {
        for (std::size_t i = 0; i < s_->toplevels.size(); ++i) {
            Toplevel& t = *s_->toplevels[i];
            if (t.closed)
                continue;
            if (t.activated != (int(i) == toplevel)) {
                t.activated = !t.activated;
                for (wl_resource* h : t.handles)
                    s_->sendState(t, h);
            }
        }
    });
}

void TestCompositor::closeToplevel(int toplevel) {
    run([&] {
        Toplevel& t = *s_->toplevels.at(std::size_t(toplevel));
        t.closed = true;
        for (wl_resource* h : t.handles)
            zwlr_foreign_toplevel_handle_v1_send_closed(h);
    });
}

} // namespace tintwell::test
