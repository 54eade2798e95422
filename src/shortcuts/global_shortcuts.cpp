#include "shortcuts/global_shortcuts.h"

#include "settings/settings_log.h"
#include "shortcuts/key_labels.h"

#include <algorithm>
#include <iostream>

#include <QCoreApplication>
#include <QKeyEvent>

namespace tintwell::shortcuts {
namespace {

/// The modifier bit of a key that closes an open menu by itself; 0 for every other key.
std::uint32_t menuClosingModifier(int key) {
    switch (key) {
    case Qt::Key_Alt:
        return platform::modifier::option;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        return platform::modifier::command;
    default:
        return 0;
    }
}

} // namespace

GlobalShortcuts::GlobalShortcuts(settings::UserDefaults& defaults, platform::HotKeyService* service,
                                 QObject* parent)
    : QObject(parent), defaults_(defaults), service_(service),
      sink_([](const std::string& line) { std::cout << line << std::endl; }) {
    if (service_) {
        // Key names follow the layout of the window system these shortcuts are grabbed on.
        setLayoutLabels([service = QPointer(service_)](int keyCode) -> std::optional<std::string> {
            return service ? service->layoutKeyLabel(std::uint32_t(keyCode)) : std::nullopt;
        });
        connect(service_, &platform::HotKeyService::hotKeyPressed, this,
                [this](const platform::KeyCombination& c) { handleKey(Shortcut::fromCombination(c)); });
    }
}

GlobalShortcuts::~GlobalShortcuts() {
    if (service_)
        service_->setDescriber({});
    if (filterInstalled_ && QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

std::string GlobalShortcuts::storageKey(const Name& name) {
    return "GlobalShortcuts_" + name.rawValue;
}

void GlobalShortcuts::remember(const Name& name) {
    const auto it = std::ranges::find(known_, name.rawValue, &Name::rawValue);
    if (it == known_.end()) {
        known_.push_back(name);
        lastSeen_[name.rawValue] = getShortcut(name);
    } else if (name.defaultShortcut) {
        it->defaultShortcut = name.defaultShortcut;
    }
}

void GlobalShortcuts::declare(const Name& name) {
    if (name.defaultShortcut && !defaults_.object(storageKey(name)))
        setShortcut(name.defaultShortcut, name);
    remember(name);
}

std::optional<Shortcut> GlobalShortcuts::getShortcut(const Name& name) const {
    const auto value = defaults_.object(storageKey(name));
    // Nothing stored, or false: a slot cleared on purpose.
    if (!value || *value == settings::Value(false))
        return std::nullopt;
    // The file may have been edited by hand: what it holds passes the rules of an assignment.
    std::string problem = "not the text of a combination";
    std::optional<Shortcut> shortcut;
    if (const auto* text = std::get_if<std::string>(&*value))
        shortcut = Shortcut::fromJson(*text, &problem);
    if (shortcut)
        if (const auto refused = refusedGlobally(*shortcut)) {
            problem = shortcut->presentableDescription() + " is refused: " + *refused;
            shortcut.reset();
        }
    if (shortcut)
        reported_.erase(name.rawValue);
    else if (const auto it = reported_.find(name.rawValue); it == reported_.end() || it->second != *value) {
        reported_.insert_or_assign(name.rawValue, *value);
        qCWarning(settings::lcSettings).noquote()
            << QString::fromStdString("Hotkey " + name.rawValue + " ignored: " + problem + ".");
    }
    return shortcut;
}

void GlobalShortcuts::setShortcut(const std::optional<Shortcut>& shortcut, const Name& name) {
    remember(name);
    const std::optional<Shortcut> old = getShortcut(name);
    if (shortcut) {
        if (old)
            unregisterUnlessHeld(*old, name.rawValue);
        if (!registered_.contains(*shortcut))
            registerShortcut(*shortcut);
        defaults_.setString(storageKey(name), shortcut->toJson());
    } else {
        if (!old)
            return;
        if (name.defaultShortcut)
            defaults_.setBool(storageKey(name), false);
        else
            defaults_.remove(storageKey(name));
        unregisterUnlessHeld(*old, name.rawValue);
    }
    lastSeen_[name.rawValue] = shortcut;
    Q_EMIT shortcutByNameDidChange(name);
}

void GlobalShortcuts::setSlotLabels(std::function<std::string(const Name&)> label) {
    if (!service_)
        return;
    service_->setDescriber([this, label = std::move(label)](const platform::KeyCombination& c) {
        const Shortcut held = Shortcut::fromCombination(c);
        for (const Name& name : known_)
            if (getShortcut(name) == held)
                return label(name);
        return std::string();
    });
}

void GlobalShortcuts::reset(const std::vector<Name>& names) {
    for (const Name& name : names)
        setShortcut(name.defaultShortcut, name);
}

void GlobalShortcuts::onKeyDown(const Name& name, Action action) {
    remember(name);
    keyDownHandlers_[name.rawValue].push_back(std::move(action));
    if (const auto s = getShortcut(name); s && !registered_.contains(*s))
        registerShortcut(*s);
}

void GlobalShortcuts::registerShortcut(const Shortcut& shortcut) {
    const platform::HotKeyResult result =
        service_ ? service_->registerHotKey(shortcut.combination()) : platform::HotKeyResult{};
    // A refused combination stays counted as registered: it is tried again only once its slot is
    // assigned anew, not on every press or menu close.
    registered_[shortcut] = result.ok();
    if (!result.ok())
        reportFailure(shortcut.combination(), result);
}

void GlobalShortcuts::unregisterUnlessHeld(const Shortcut& shortcut, const std::string& exceptRawValue) {
    // Two slots may share a combination; releasing it for one would silently end the other's.
    for (const Name& other : known_)
        if (other.rawValue != exceptRawValue && getShortcut(other) == shortcut)
            return;
    if (service_)
        service_->unregisterHotKey(shortcut.combination());
    registered_.erase(shortcut);
}

void GlobalShortcuts::reportFailure(const platform::KeyCombination& combination,
                                    const platform::HotKeyResult& result) {
    std::string line = "Error registering hotkey " +
                       Shortcut::fromCombination(combination).presentableDescription() + ": " +
                       std::to_string(result.status);
    if (!result.reason.empty())
        line += " (" + result.reason + ")";
    if (sink_)
        sink_(line);
}

void GlobalShortcuts::handleKey(const Shortcut& pressed) {
    if (paused_ || !enabled_)
        return;
    const auto& handlers = keyDownHandlers_;
    std::vector<Action> actions;
    for (const Name& name : known_) {
        const auto it = handlers.find(name.rawValue);
        if (it != handlers.end() && getShortcut(name) == pressed)
            actions.insert(actions.end(), it->second.begin(), it->second.end());
    }
    for (const Action& action : actions)
        action();
}

void GlobalShortcuts::reloadFromStore() {
    std::vector<Name> changed;
    for (const Name& name : known_) {
        const auto now = getShortcut(name);
        if (lastSeen_[name.rawValue] != now) {
            lastSeen_[name.rawValue] = now;
            changed.push_back(name);
        }
    }
    if (changed.empty())
        return;
    std::vector<Shortcut> held;
    for (const Name& name : known_)
        if (const auto s = getShortcut(name))
            held.push_back(*s);
    std::vector<Shortcut> released;
    for (const auto& [shortcut, taken] : registered_)
        if (std::ranges::find(held, shortcut) == held.end())
            released.push_back(shortcut);
    for (const Shortcut& s : released)
        unregisterUnlessHeld(s, {});
    for (const Shortcut& s : held)
        if (!registered_.contains(s))
            registerShortcut(s);
    for (const Name& name : changed)
        Q_EMIT shortcutByNameDidChange(name);
}

void GlobalShortcuts::setEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    updateEventHandler();
}

void GlobalShortcuts::setMenuOpen(bool open) {
    if (open == menuOpen_)
        return;
    menuOpen_ = open;
    updateEventHandler();
}

void GlobalShortcuts::updateEventHandler() {
    if (service_) {
        if (enabled_ && !menuOpen_) {
            for (const auto& [combination, result] : service_->resume())
                reportFailure(combination, result);
        } else {
            service_->suspend();
        }
    }
    const bool watchKeys = enabled_ && menuOpen_;
    if (watchKeys != filterInstalled_ && QCoreApplication::instance()) {
        if (watchKeys)
            QCoreApplication::instance()->installEventFilter(this);
        else
            QCoreApplication::instance()->removeEventFilter(this);
        filterInstalled_ = watchKeys;
    }
}

void GlobalShortcuts::trackPopup(QObject* popup) {
    if (!popup || trackedPopups_.contains(popup))
        return;
    trackedPopups_.insert(popup);
    popup->installEventFilter(this);
    connect(popup, &QObject::destroyed, this, [this, popup] {
        trackedPopups_.remove(popup);
        openPopups_.remove(popup);
        setMenuOpen(!openPopups_.isEmpty());
    });
}

bool GlobalShortcuts::isReservedBySystem(const Shortcut& shortcut) const {
    return service_ && service_->isReservedBySystem(shortcut.combination());
}

std::optional<Shortcut> GlobalShortcuts::shortcutFromNativeKey(std::uint32_t scanCode,
                                                               std::uint32_t modifiers) const {
    if (!service_)
        return std::nullopt;
    const auto c = service_->combinationForNativeKey(scanCode, modifiers);
    if (!c)
        return std::nullopt;
    // A shortcut made from a key press never carries the function bit.
    return Shortcut::fromKeyCode(int(c->keyCode), int(c->modifiers & ~platform::modifier::function));
}

std::optional<Shortcut> GlobalShortcuts::shortcutFromKeyEvent(const QKeyEvent& event) const {
    if (event.type() != QEvent::KeyPress && event.type() != QEvent::KeyRelease)
        return std::nullopt;
    return shortcutFromNativeKey(event.nativeScanCode(), event.nativeModifiers());
}

std::optional<Shortcut> GlobalShortcuts::registeredMatch(const QKeyEvent& event) const {
    const auto pressed = shortcutFromNativeKey(event.nativeScanCode(), event.nativeModifiers());
    if (!pressed)
        return std::nullopt;
    std::optional<Shortcut> match;
    for (const auto& [shortcut, taken] : registered_) {
        if (!taken || shortcut.carbonKeyCode != pressed->carbonKeyCode)
            continue;
        if (shortcut == *pressed)
            return shortcut;
        if ((shortcut.carbonModifiers & ~int(platform::modifier::function)) == pressed->carbonModifiers)
            match = shortcut;
    }
    return match;
}

bool GlobalShortcuts::eventFilter(QObject* watched, QEvent* event) {
    if (trackedPopups_.contains(watched)) {
        if (event->type() == QEvent::Show)
            openPopups_.insert(watched);
        else if (event->type() == QEvent::Hide)
            openPopups_.remove(watched);
        setMenuOpen(!openPopups_.isEmpty());
    }
    if (!filterInstalled_)
        return false;
    const auto type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    // Alt and Super alone close a menu; a combination that starts with one of them would never
    // reach us, so the menu does not get them while such a combination is registered.
    if (const std::uint32_t bit = menuClosingModifier(key->key())) {
        const bool used = std::ranges::any_of(registered_, [bit](const auto& entry) {
            return entry.second && (std::uint32_t(entry.first.carbonModifiers) & bit);
        });
        if (used && type == QEvent::ShortcutOverride)
            event->accept();
        return used;
    }
    const auto match = registeredMatch(*key);
    if (!match)
        return false;
    if (type == QEvent::ShortcutOverride) {
        // Claimed, so that no menu item's shortcut takes it: the key press follows, and is ours.
        event->accept();
        return true;
    }
    if (type == QEvent::KeyPress)
        handleKey(*match);
    return true;
}

} // namespace tintwell::shortcuts
