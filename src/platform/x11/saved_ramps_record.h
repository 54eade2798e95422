#pragma once

#include "platform/gamma_ramp.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <QString>

namespace tintwell::platform {

/// One CRTC in the record a running instance keeps of the ramps it found before its first write,
/// so that a start after a crash can give them back.
struct SavedRampEntry {
    std::uint32_t crtc = 0;
    HardwareRamp r, g, b; ///< the ramp found before the first write
    /// rampFingerprint() of the ramps the writer may have left on screen (the last one written, and
    /// the one before while a write is under way): the record speaks for the CRTC only while the
    /// screen shows one of them.
    std::vector<std::uint64_t> written;
    bool operator==(const SavedRampEntry&) const = default;
};

/// A digest of a ramp, to recognise it later without keeping a copy.
std::uint64_t rampFingerprint(const HardwareRamps& ramp);

std::string encodeSavedRamps(const std::vector<SavedRampEntry>& entries);
/// The entries of a record; nothing, with `error` set, when any part of it is damaged (not JSON,
/// channels of different or impossible sizes, levels outside 16 bits, a missing fingerprint).
std::optional<std::vector<SavedRampEntry>> decodeSavedRamps(const std::string& text, std::string* error);

/// `$XDG_STATE_HOME/tintwell`, else `~/.local/state/tintwell`: a folder every user has whatever
/// the session's environment, unlike the runtime folder.
QString savedRampsDirectory();

/// Writes `text` atomically to `path`, creating its folder closed to others (0700) and the file
/// readable by its owner only (0600). False with `error` set on failure.
bool writePrivateFile(const QString& path, const std::string& text, QString* error);

} // namespace tintwell::platform
