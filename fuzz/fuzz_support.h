#pragma once
// What every fuzz target shares: quiet logging, a scratch folder, and the input cut into parts.

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include <QTemporaryDir>
#include <QtGlobal>

namespace tintwell::fuzz {

/// Drops Qt's log lines: the parsers log every refusal, and millions of them would hide the
/// sanitizer's report and slow each run.
inline void silenceLogging() {
    static const bool once = [] {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        return true;
    }();
    (void)once;
}

/// A folder that lives as long as the process; parsers that read files read them from here.
inline const std::string& scratchDir() {
    static QTemporaryDir dir;
    static const std::string path = dir.path().toStdString();
    return path;
}

inline void writeFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

/// The input cut at every `separator` byte; always at least `minParts` parts (the missing ones empty).
inline std::vector<std::string_view> split(const std::uint8_t* data, std::size_t size, char separator,
                                           std::size_t minParts = 1) {
    std::vector<std::string_view> parts;
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    for (std::size_t i = 0; i <= all.size(); ++i)
        if (i == all.size() || all[i] == separator) {
            parts.push_back(all.substr(start, i - start));
            start = i + 1;
        }
    while (parts.size() < minParts)
        parts.emplace_back();
    return parts;
}

} // namespace tintwell::fuzz
