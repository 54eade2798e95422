#include "platform/x11/saved_ramps_record.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <nlohmann/json.hpp>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tintwell::platform {
namespace {

HardwareRamp channel(const nlohmann::json& levels) {
    if (!levels.is_array() || levels.size() < 2 || levels.size() > 65535)
        throw std::runtime_error("a channel is not a list of 2 to 65535 levels");
    HardwareRamp out;
    out.reserve(levels.size());
    for (const auto& v : levels) {
        if (!v.is_number_unsigned() || v.get<std::uint64_t>() > 65535)
            throw std::runtime_error("a level is not a 16-bit number");
        out.push_back(std::uint16_t(v.get<std::uint64_t>()));
    }
    return out;
}

QString homeDirectory() {
    const QString home = qEnvironmentVariable("HOME");
    if (home.startsWith('/'))
        return home;
    const passwd* pw = ::getpwuid(::getuid());
    return pw && pw->pw_dir ? QFile::decodeName(pw->pw_dir) : QString();
}

} // namespace

std::uint64_t rampFingerprint(const HardwareRamps& ramp) {
    std::uint64_t hash = 0xcbf29ce484222325ull; // FNV-1a
    const auto mix = [&](std::uint64_t value) {
        hash ^= value;
        hash *= 0x100000001b3ull;
    };
    for (const HardwareRamp* c : {&ramp.r, &ramp.g, &ramp.b}) {
        mix(c->size());
        for (const std::uint16_t level : *c)
            mix(level);
    }
    return hash;
}

std::string encodeSavedRamps(const std::vector<SavedRampEntry>& entries) {
    nlohmann::json crtcs = nlohmann::json::array();
    for (const SavedRampEntry& e : entries) {
        nlohmann::json written = nlohmann::json::array();
        for (const std::uint64_t fingerprint : e.written)
            written.push_back(QString::number(fingerprint, 16).toStdString());
        crtcs.push_back(
            {{"crtc", e.crtc}, {"red", e.r}, {"green", e.g}, {"blue", e.b}, {"written", written}});
    }
    return nlohmann::json{{"crtcs", crtcs}}.dump();
}

std::optional<std::vector<SavedRampEntry>> decodeSavedRamps(const std::string& text, std::string* error) {
    try {
        const auto j = nlohmann::json::parse(text);
        const auto& crtcs = j.at("crtcs");
        if (!crtcs.is_array())
            throw std::runtime_error("the CRTCs are not a list");
        std::vector<SavedRampEntry> entries;
        for (const auto& entry : crtcs) {
            SavedRampEntry e;
            const auto& crtc = entry.at("crtc");
            if (!crtc.is_number_unsigned() || crtc.get<std::uint64_t>() == 0 ||
                crtc.get<std::uint64_t>() > 0xFFFFFFFFu)
                throw std::runtime_error("a CRTC is not an X id");
            e.crtc = crtc.get<std::uint32_t>();
            e.r = channel(entry.at("red"));
            e.g = channel(entry.at("green"));
            e.b = channel(entry.at("blue"));
            if (e.r.size() != e.g.size() || e.r.size() != e.b.size())
                throw std::runtime_error("the channels of a ramp differ in size");
            const auto& written = entry.at("written");
            if (!written.is_array() || written.empty())
                throw std::runtime_error("a CRTC names no written ramp");
            for (const auto& fingerprint : written) {
                bool ok = false;
                e.written.push_back(
                    QString::fromStdString(fingerprint.get<std::string>()).toULongLong(&ok, 16));
                if (!ok)
                    throw std::runtime_error("a written-ramp fingerprint is not a hexadecimal number");
            }
            entries.push_back(std::move(e));
        }
        return entries;
    } catch (const std::exception& e) {
        if (error)
            *error = e.what();
        return std::nullopt;
    }
}

QString savedRampsDirectory() {
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (!base.startsWith('/')) {
        const QString home = homeDirectory();
        if (home.isEmpty())
            return {};
        base = home + "/.local/state";
    }
    return base + "/tintwell";
}

bool writePrivateFile(const QString& path, const std::string& text, QString* error) {
    const QString dir = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(dir) || ::chmod(QFile::encodeName(dir).constData(), 0700) != 0) {
        *error = QString("cannot create %1 closed to others").arg(dir);
        return false;
    }
    QSaveFile file(path);
    // The folder is closed to others already; the file is too, once renamed into place.
    const bool ok = file.open(QIODevice::WriteOnly) &&
                    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
                    file.write(text.data(), qint64(text.size())) == qint64(text.size()) && file.commit();
    if (!ok)
        *error = file.errorString();
    return ok;
}

} // namespace tintwell::platform
