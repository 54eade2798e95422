#include "platform/x11/x11_display_services.h"

#include "platform/gamma_ramp.h"
#include "platform/x11/saved_ramps_record.h"
#include "platform/x11/xcb_reply.h"

#include <cstdlib>
#include <map>
#include <mutex>
#include <set>

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QSocketNotifier>
#include <QUuid>

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <nlohmann/json.hpp>

namespace tintwell::platform {
namespace {

Q_LOGGING_CATEGORY(lcDisplays, "tintwell.displays", QtInfoMsg)

// Display keys are name-based UUIDs in a namespace of our own, so the same monitor gets the same key
// on every machine and every run.
const QUuid kDisplayKeyNamespace("{5b0e7c1a-93d4-4e6f-a2b8-1c7d3f90e4a6}");

struct Output {
    DisplayDescription description;
    xcb_randr_crtc_t crtc = XCB_NONE;
    std::string connector;
    std::vector<std::uint8_t> edid;
};

std::string edidMonitorName(const std::vector<std::uint8_t>& edid) {
    // Four 18-byte descriptors follow the base block's fixed fields; 0xFC is the monitor name.
    if (edid.size() < 128)
        return {};
    for (std::size_t off : {54u, 72u, 90u, 108u}) {
        if (edid[off] != 0 || edid[off + 1] != 0 || edid[off + 3] != 0xFC)
            continue;
        std::string name;
        for (std::size_t i = off + 5; i < off + 18 && edid[i] != 0x0A; ++i)
            name += static_cast<char>(edid[i] >= 0x20 && edid[i] < 0x7F ? edid[i] : '?');
        while (!name.empty() && name.back() == ' ')
            name.pop_back();
        if (!name.empty())
            return name;
    }
    return {};
}

/// `shared`: another online display has byte-identical EDID (two monitors of one model without a
/// serial); the connector then tells them apart. A monitor whose EDID is unique keeps the key made
/// from its EDID alone, which stored overrides rely on.
std::string displayKey(const std::vector<std::uint8_t>& edid, const std::string& outputName, bool shared) {
    QByteArray data = edid.empty()
                          ? QByteArray("output:") + QByteArray::fromStdString(outputName)
                          : QByteArray(reinterpret_cast<const char*>(edid.data()), qsizetype(edid.size()));
    if (!edid.empty() && shared)
        data += QByteArray("\0connector:", 11) + QByteArray::fromStdString(outputName);
    return QUuid::createUuidV5(kDisplayKeyNamespace, data)
        .toString(QUuid::WithoutBraces)
        .toUpper()
        .toStdString();
}

bool negotiateRandr(xcb_connection_t* c, QString* error, const QString& display) {
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_randr_id);
    if (!ext || !ext->present) {
        *error = QString("The X server on %1 has no RandR extension.").arg(display);
        return false;
    }
    XcbReply<xcb_randr_query_version_reply_t> version(
        xcb_randr_query_version_reply(c, xcb_randr_query_version(c, 1, 5), nullptr));
    if (!version || version->major_version < 1 ||
        (version->major_version == 1 && version->minor_version < 3)) {
        *error = QString("The X server on %1 has RandR %2.%3; 1.3 or later is needed.")
                     .arg(display)
                     .arg(version ? version->major_version : 0)
                     .arg(version ? version->minor_version : 0);
        return false;
    }
    return true;
}

} // namespace

struct X11DisplayServices::Impl {
    xcb_connection_t* conn = nullptr;   // requests, from any thread, under `mutex`
    xcb_connection_t* events = nullptr; // change notifications, read on the main thread only
    xcb_window_t root = XCB_NONE;
    xcb_atom_t edidAtom = XCB_NONE;
    std::uint8_t randrFirstEvent = 0;
    Options options;
    QString display;
    QSocketNotifier* notifier = nullptr;

    std::mutex mutex;
    std::vector<Output> outputs;
    bool dirty = true;
    std::map<xcb_randr_crtc_t, HardwareRamps> saved;
    // rampFingerprint() of the ramps on screen since our last write began: the one before it and
    // its own (or only its own after the first write).
    std::map<xcb_randr_crtc_t, std::vector<std::uint64_t>> written;
    std::set<DisplayId> reported;
    bool persistFailureReported = false;

    ~Impl() {
        if (events)
            xcb_disconnect(events);
        if (conn)
            xcb_disconnect(conn);
    }

    void reportOnce(DisplayId id, const QString& message) {
        if (reported.insert(id).second)
            qCWarning(lcDisplays).noquote() << message;
    }

    void refreshLocked() {
        dirty = false;
        outputs.clear();
        const auto resCookie = xcb_randr_get_screen_resources_current(conn, root);
        const auto primaryCookie = xcb_randr_get_output_primary(conn, root);
        XcbReply<xcb_randr_get_screen_resources_current_reply_t> res(
            xcb_randr_get_screen_resources_current_reply(conn, resCookie, nullptr));
        XcbReply<xcb_randr_get_output_primary_reply_t> primary(
            xcb_randr_get_output_primary_reply(conn, primaryCookie, nullptr));
        if (!res) {
            dirty = true;
            return;
        }
        const xcb_randr_output_t* ids = xcb_randr_get_screen_resources_current_outputs(res.get());
        const int count = xcb_randr_get_screen_resources_current_outputs_length(res.get());

        // Pipeline each stage's requests before collecting any reply.
        std::vector<xcb_randr_get_output_info_cookie_t> infoCookies;
        for (int i = 0; i < count; ++i)
            infoCookies.push_back(xcb_randr_get_output_info(conn, ids[i], res->config_timestamp));
        struct Candidate {
            xcb_randr_output_t id;
            xcb_randr_crtc_t crtc;
            std::string name;
            xcb_randr_get_crtc_info_cookie_t crtcCookie;
            xcb_randr_get_crtc_gamma_size_cookie_t sizeCookie;
            xcb_randr_get_output_property_cookie_t edidCookie;
        };
        std::vector<Candidate> candidates;
        for (int i = 0; i < count; ++i) {
            XcbReply<xcb_randr_get_output_info_reply_t> info(
                xcb_randr_get_output_info_reply(conn, infoCookies[std::size_t(i)], nullptr));
            // The connection state is only as fresh as the last probe, which only a full
            // GetScreenResources (slow, and it can blank some panels) performs; an output that a CRTC
            // is driving is part of the desktop whatever it last said, so the CRTC decides.
            if (!info || info->crtc == XCB_NONE)
                continue;
            const auto* name = reinterpret_cast<const char*>(xcb_randr_get_output_info_name(info.get()));
            Candidate c{ids[i],
                        info->crtc,
                        std::string(name, std::size_t(xcb_randr_get_output_info_name_length(info.get()))),
                        xcb_randr_get_crtc_info(conn, info->crtc, res->config_timestamp),
                        xcb_randr_get_crtc_gamma_size(conn, info->crtc),
                        xcb_randr_get_output_property(conn, ids[i], edidAtom, XCB_ATOM_ANY, 0, 256, 0, 0)};
            candidates.push_back(std::move(c));
        }
        for (auto& c : candidates) {
            XcbReply<xcb_randr_get_crtc_info_reply_t> crtc(
                xcb_randr_get_crtc_info_reply(conn, c.crtcCookie, nullptr));
            XcbReply<xcb_randr_get_crtc_gamma_size_reply_t> size(
                xcb_randr_get_crtc_gamma_size_reply(conn, c.sizeCookie, nullptr));
            XcbReply<xcb_randr_get_output_property_reply_t> edidReply(
                xcb_randr_get_output_property_reply(conn, c.edidCookie, nullptr));
            if (!crtc || crtc->mode == XCB_NONE)
                continue;
            std::vector<std::uint8_t> edid;
            if (edidReply && edidReply->format == 8) {
                const std::uint8_t* data = xcb_randr_get_output_property_data(edidReply.get());
                edid.assign(data, data + xcb_randr_get_output_property_data_length(edidReply.get()));
            }
            Output o;
            o.crtc = c.crtc;
            DisplayDescription& d = o.description;
            d.id = c.id;
            d.name = edidMonitorName(edid);
            if (d.name.empty())
                d.name = c.name;
            d.bounds = {double(crtc->x), double(crtc->y), double(crtc->width), double(crtc->height)};
            d.isMain = primary && primary->output == c.id;
            for (const Output& earlier : outputs)
                if (earlier.crtc == c.crtc) {
                    d.mirrorOf = earlier.description.id;
                    break;
                }
            d.gammaSize = size ? size->size : 0;
            o.connector = c.name;
            o.edid = std::move(edid);
            outputs.push_back(std::move(o));
        }
        for (Output& o : outputs) {
            const bool shared = std::count_if(outputs.begin(), outputs.end(),
                                              [&](const Output& other) { return other.edid == o.edid; }) > 1;
            o.description.key = displayKey(o.edid, o.connector, shared);
        }
        const bool anyMain =
            std::any_of(outputs.begin(), outputs.end(), [](const Output& o) { return o.description.isMain; });
        if (!anyMain && !outputs.empty())
            outputs.front().description.isMain = true;
    }

    const Output* findLocked(DisplayId id) {
        if (dirty)
            refreshLocked();
        const auto match = [&] {
            return std::find_if(outputs.begin(), outputs.end(),
                                [&](const Output& o) { return o.description.id == id; });
        };
        auto it = match();
        if (it == outputs.end()) {
            // The change notification may still be on its way; look again before giving up.
            refreshLocked();
            it = match();
        }
        return it == outputs.end() ? nullptr : &*it;
    }

    std::optional<HardwareRamps> readRampLocked(xcb_randr_crtc_t crtc) {
        XcbReply<xcb_randr_get_crtc_gamma_reply_t> reply(
            xcb_randr_get_crtc_gamma_reply(conn, xcb_randr_get_crtc_gamma(conn, crtc), nullptr));
        if (!reply || reply->size == 0)
            return std::nullopt;
        const auto channel = [&](const std::uint16_t* p) { return HardwareRamp(p, p + reply->size); };
        return HardwareRamps{channel(xcb_randr_get_crtc_gamma_red(reply.get())),
                             channel(xcb_randr_get_crtc_gamma_green(reply.get())),
                             channel(xcb_randr_get_crtc_gamma_blue(reply.get()))};
    }

    bool writeRampLocked(xcb_randr_crtc_t crtc, const HardwareRamps& ramp) {
        const auto cookie = xcb_randr_set_crtc_gamma_checked(conn, crtc, std::uint16_t(ramp.r.size()),
                                                             ramp.r.data(), ramp.g.data(), ramp.b.data());
        XcbReply<xcb_generic_error_t> error(xcb_request_check(conn, cookie));
        return !error;
    }

    QString stateFile() const {
        if (options.stateDirectory.isEmpty())
            return {};
        // One record per X server, however $DISPLAY spells it (":0", ":0.0", "unix:0").
        char* host = nullptr;
        int number = 0;
        QString name = display;
        if (xcb_parse_display(display.toLocal8Bit().constData(), &host, &number, nullptr)) {
            name = QString("%1_%2")
                       .arg(host && *host ? QString::fromLocal8Bit(host) : QString("local"))
                       .arg(number);
            std::free(host);
        }
        for (QChar& ch : name)
            if (!ch.isLetterOrNumber() && ch != '_' && ch != '-' && ch != '.')
                ch = '_';
        return options.stateDirectory + "/saved-ramps-" + name + ".json";
    }

    void persistLocked() {
        const QString path = stateFile();
        if (path.isEmpty())
            return;
        if (saved.empty()) {
            QFile::remove(path);
            return;
        }
        std::vector<SavedRampEntry> entries;
        for (const auto& [crtc, ramp] : saved)
            if (const auto w = written.find(crtc); w != written.end() && !w->second.empty())
                entries.push_back({crtc, ramp.r, ramp.g, ramp.b, w->second});
        QString error;
        if (!writePrivateFile(path, encodeSavedRamps(entries), &error) && !persistFailureReported) {
            persistFailureReported = true;
            qCWarning(lcDisplays).noquote()
                << "Cannot record the original gamma ramps in" << path << ":" << error;
        }
    }

    /// Takes over the record a run that did not end cleanly left, for each CRTC that still shows
    /// what that run last wrote; elsewhere the ramp on screen now is the original.
    void adoptRecordLocked() {
        QFile file(stateFile());
        if (file.fileName().isEmpty() || !file.open(QIODevice::ReadOnly))
            return;
        std::string problem;
        const auto entries = decodeSavedRamps(file.readAll().toStdString(), &problem);
        file.close();
        refreshLocked();
        if (!entries) {
            // Whatever tint that run left would otherwise become the calibration.
            qCWarning(lcDisplays).noquote()
                << "The record of the original gamma ramps in" << file.fileName() << "is damaged ("
                << QString::fromStdString(problem) << "); the displays get neutral ramps at quit.";
            for (const Output& o : outputs)
                if (o.description.gammaSize > 0 && !saved.count(o.crtc)) {
                    const HardwareRamp identity = identityHardwareRamp(o.description.gammaSize);
                    saved[o.crtc] = {identity, identity, identity};
                    if (const auto now = readRampLocked(o.crtc))
                        written[o.crtc] = {rampFingerprint(*now)};
                }
            persistLocked();
            return;
        }
        for (const SavedRampEntry& e : *entries) {
            const auto now = readRampLocked(e.crtc);
            const std::uint64_t shown = now ? rampFingerprint(*now) : 0;
            if (!now || std::find(e.written.begin(), e.written.end(), shown) == e.written.end())
                continue;
            saved[e.crtc] = {e.r, e.g, e.b};
            written[e.crtc] = {shown};
        }
        if (!saved.empty())
            qCInfo(lcDisplays)
                << "A previous run did not end cleanly; the ramps it found will be restored from"
                << file.fileName();
        persistLocked();
    }
};

QString X11DisplayServices::defaultStateDirectory() {
    return savedRampsDirectory();
}

std::unique_ptr<X11DisplayServices> X11DisplayServices::create(const Options& options, QString* error) {
    QString ignored;
    if (!error)
        error = &ignored;
    const QString display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty()) {
        *error = "No X display: DISPLAY is not set.";
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->options = options;
    impl->display = display;
    int screenNumber = 0;
    impl->conn = xcb_connect(nullptr, &screenNumber);
    impl->events = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(impl->conn) || xcb_connection_has_error(impl->events)) {
        *error = QString("Cannot open the X display %1.").arg(display);
        return nullptr;
    }
    if (!negotiateRandr(impl->conn, error, display) || !negotiateRandr(impl->events, error, display))
        return nullptr;

    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(impl->conn));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem) {
        *error = QString("The X display %1 has no screen %2.").arg(display).arg(screenNumber);
        return nullptr;
    }
    impl->root = it.data->root;

    static const char kEdid[] = "EDID";
    XcbReply<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(impl->conn, xcb_intern_atom(impl->conn, 0, sizeof kEdid - 1, kEdid), nullptr));
    impl->edidAtom = atom ? atom->atom : XCB_NONE;

    impl->randrFirstEvent = xcb_get_extension_data(impl->events, &xcb_randr_id)->first_event;
    xcb_randr_select_input(impl->events, impl->root,
                           XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE |
                               XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE | XCB_RANDR_NOTIFY_MASK_OUTPUT_PROPERTY);
    xcb_flush(impl->events);
    {
        std::lock_guard lock(impl->mutex);
        impl->adoptRecordLocked();
    }

    std::unique_ptr<X11DisplayServices> services(new X11DisplayServices(std::move(impl)));
    return services;
}

X11DisplayServices::X11DisplayServices(std::unique_ptr<Impl> impl) : d(std::move(impl)) {
    d->notifier = new QSocketNotifier(xcb_get_file_descriptor(d->events), QSocketNotifier::Read, this);
    connect(d->notifier, &QSocketNotifier::activated, this, &X11DisplayServices::readEvents);
}

X11DisplayServices::~X11DisplayServices() {
    std::lock_guard lock(d->mutex);
    // Ramps still saved here were never restored, so the tint stays on screen: keep the record, so
    // the next start can still give the originals back. A server that went away took the tint along.
    if (xcb_connection_has_error(d->conn))
        d->saved.clear();
    if (d->saved.empty())
        d->persistLocked();
}

void X11DisplayServices::readEvents() {
    bool changed = false;
    while (xcb_generic_event_t* raw = xcb_poll_for_event(d->events)) {
        XcbReply<xcb_generic_event_t> event(raw);
        const std::uint8_t type = event->response_type & 0x7f;
        if (type == d->randrFirstEvent + XCB_RANDR_SCREEN_CHANGE_NOTIFY) {
            changed = true;
        } else if (type == d->randrFirstEvent + XCB_RANDR_NOTIFY) {
            const auto* notify = reinterpret_cast<const xcb_randr_notify_event_t*>(raw);
            // Of the output properties only the EDID matters (it names the display and makes its key);
            // others, such as a backlight level, change often and mean nothing here.
            if (notify->subCode != XCB_RANDR_NOTIFY_OUTPUT_PROPERTY || notify->u.op.atom == d->edidAtom)
                changed = true;
        }
    }
    if (xcb_connection_has_error(d->events)) {
        // The application reports the loss and exits; this only says what it means here.
        qCDebug(lcDisplays) << "Lost the connection to the X server; display changes are no longer seen.";
        d->notifier->setEnabled(false);
    }
    if (changed) {
        {
            std::lock_guard lock(d->mutex);
            d->dirty = true;
        }
        Q_EMIT displaysReconfigured();
    }
}

std::vector<DisplayId> X11DisplayServices::onlineDisplays() {
    std::lock_guard lock(d->mutex);
    d->refreshLocked();
    std::vector<DisplayId> ids;
    for (const Output& o : d->outputs)
        ids.push_back(o.description.id);
    return ids;
}

std::optional<DisplayDescription> X11DisplayServices::describe(DisplayId id) {
    std::lock_guard lock(d->mutex);
    const Output* o = d->findLocked(id);
    return o ? std::optional(o->description) : std::nullopt;
}

void X11DisplayServices::setTransferTables(DisplayId id, const core::TransferTables& tables) {
    std::lock_guard lock(d->mutex);
    const Output* o = d->findLocked(id);
    if (!o) {
        d->reportOnce(id, QString("Display %1 is not online; its transfer tables are not written.").arg(id));
        return;
    }
    const int size = o->description.gammaSize;
    if (size <= 0) {
        d->reportOnce(id, QString("Display %1 (%2) has no gamma ramp; it cannot be tinted.")
                              .arg(id)
                              .arg(QString::fromStdString(o->description.name)));
        return;
    }
    const xcb_randr_crtc_t crtc = o->crtc;
    const bool first = !d->saved.count(crtc);
    if (first) {
        auto original = d->readRampLocked(crtc);
        if (!original) {
            d->reportOnce(id, QString("Cannot read the gamma ramp of display %1; it is left alone.").arg(id));
            return;
        }
        d->saved[crtc] = std::move(*original);
    }
    const HardwareRamps ramp = toHardwareRamps(tables, size);
    // The record names what the screen shows, so that a later start can tell whether it still
    // applies; it is written first, so a crash at any moment leaves a record that tells the truth.
    const std::uint64_t fingerprint = rampFingerprint(ramp);
    auto& onScreen = d->written[crtc];
    if (first || onScreen.empty()) {
        onScreen = {fingerprint};
        d->persistLocked();
    } else if (onScreen.back() != fingerprint) {
        onScreen = {onScreen.back(), fingerprint};
        d->persistLocked();
    }
    if (!d->writeRampLocked(crtc, ramp))
        d->reportOnce(id, QString("The X server rejected the gamma ramp of display %1.").arg(id));
}

std::optional<core::TransferTables> X11DisplayServices::readTransferTables(DisplayId id) {
    std::lock_guard lock(d->mutex);
    const Output* o = d->findLocked(id);
    if (!o)
        return std::nullopt;
    const auto ramp = d->readRampLocked(o->crtc);
    if (!ramp)
        return std::nullopt;
    return fromHardwareRamps(*ramp);
}

std::vector<std::optional<core::TransferTables>>
X11DisplayServices::readAllTransferTables(const std::vector<DisplayId>& ids) {
    std::lock_guard lock(d->mutex);
    std::vector<std::optional<xcb_randr_get_crtc_gamma_cookie_t>> cookies;
    for (const DisplayId id : ids) {
        const Output* o = d->findLocked(id);
        cookies.push_back(o ? std::optional(xcb_randr_get_crtc_gamma(d->conn, o->crtc)) : std::nullopt);
    }
    std::vector<std::optional<core::TransferTables>> tables;
    for (const auto& cookie : cookies) {
        XcbReply<xcb_randr_get_crtc_gamma_reply_t> reply(
            cookie ? xcb_randr_get_crtc_gamma_reply(d->conn, *cookie, nullptr) : nullptr);
        if (!reply || reply->size == 0) {
            tables.emplace_back();
            continue;
        }
        const auto channel = [&](const std::uint16_t* p) {
            return fromHardwareRamp(std::span<const std::uint16_t>(p, reply->size));
        };
        tables.push_back(core::TransferTables{channel(xcb_randr_get_crtc_gamma_red(reply.get())),
                                              channel(xcb_randr_get_crtc_gamma_green(reply.get())),
                                              channel(xcb_randr_get_crtc_gamma_blue(reply.get()))});
    }
    return tables;
}

void X11DisplayServices::restoreSystemCalibration() {
    std::lock_guard lock(d->mutex);
    // Only CRTCs this process changed are written: any other ramp is someone's calibration.
    for (const auto& [crtc, ramp] : d->saved) {
        XcbReply<xcb_randr_get_crtc_gamma_size_reply_t> size(xcb_randr_get_crtc_gamma_size_reply(
            d->conn, xcb_randr_get_crtc_gamma_size(d->conn, crtc), nullptr));
        if (!size || size->size == 0)
            continue;
        if (!d->writeRampLocked(crtc, resampleHardwareRamps(ramp, size->size)))
            qCWarning(lcDisplays) << "Cannot restore the gamma ramp of CRTC" << crtc;
    }
    // The next write saves afresh, so a calibration loaded while the tint was off is kept. Without a
    // server there is nothing to restore: the ramps went with it, and so does the record.
    d->saved.clear();
    d->written.clear();
    d->persistLocked();
}

QString X11DisplayServices::savedRampsFile() const {
    return d->stateFile();
}

} // namespace tintwell::platform
