#include "platform/outside_text.h"

#include <QString>

namespace tintwell::platform {

std::string validUtf8(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size())).toStdString();
}

std::string terminalSafe(std::string_view text) {
    const QString decoded = QString::fromUtf8(text.data(), qsizetype(text.size()));
    QString shown;
    shown.reserve(decoded.size());
    for (const QChar c : decoded) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != '\t') || (u >= 0x7f && u < 0xa0))
            shown += QString("\\x%1").arg(int(u), 2, 16, QChar('0'));
        else
            shown += c;
    }
    return shown.toStdString();
}

} // namespace tintwell::platform
