#include "ui/model/recorder_texts.h"

#include <cstring>

#include <QCoreApplication>

namespace tintwell::ui {

namespace {
struct Entry {
    const char* key;
    const char* text;
};

// QT_TRANSLATE_NOOP marks each English text for the translation tools; the lookup translates it.
constexpr Entry table[] = {
    {"record_shortcut", QT_TRANSLATE_NOOP("GlobalShortcuts", "Record Shortcut")},
    {"press_shortcut", QT_TRANSLATE_NOOP("GlobalShortcuts", "Press Shortcut")},
    {"keyboard_shortcut_used_by_menu_item",
     QT_TRANSLATE_NOOP("GlobalShortcuts", "This keyboard shortcut cannot be used as it’s already used by the "
                                          "“%1” menu item.")},
    {"keyboard_shortcut_used_by_system",
     QT_TRANSLATE_NOOP("GlobalShortcuts", "This keyboard shortcut cannot be used as it’s already taken by "
                                          "another application or by the desktop.")},
    {"keyboard_shortcuts_can_be_changed",
     QT_TRANSLATE_NOOP("GlobalShortcuts",
                       "Most desktop shortcuts can be changed in your desktop’s keyboard "
                       "settings. Use it anyway only if you are sure the other one is unused.")},
    {"ok", QT_TRANSLATE_NOOP("GlobalShortcuts", "OK")},
    {"force_use_shortcut", QT_TRANSLATE_NOOP("GlobalShortcuts", "Use Anyway")},
    {"keyboard_shortcut_disallowed",
     QT_TRANSLATE_NOOP("GlobalShortcuts", "This keyboard shortcut is not allowed here. Add Control, Super or "
                                          "another modifier.")},
    {"space_key", QT_TRANSLATE_NOOP("GlobalShortcuts", "space")},
};
} // namespace

QString recorderText(const char* key) {
    for (const Entry& e : table)
        if (std::strcmp(e.key, key) == 0)
            return QCoreApplication::translate("GlobalShortcuts", e.text);
    return QString::fromUtf8(key);
}

} // namespace tintwell::ui
