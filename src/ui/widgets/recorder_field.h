#pragma once

#include <functional>
#include <optional>
#include <string>

#include <QLineEdit>
#include <QPointer>

namespace tintwell::ui {

/// What a key press means to a recording field before the combination itself is looked at.
enum class RecorderKeyRole {
    Wait,         ///< a modifier key on its own: the combination is still being pressed
    EndAndPassOn, ///< Tab alone: recording ends and focus moves on
    Cancel,       ///< Escape alone: recording ends, nothing changes
    Clear,        ///< Backspace or Delete alone: the slot is cleared
    Refuse,       ///< a plain key without Control, Alt or Super that is not F1…F35: beep
    Candidate,    ///< a combination to check and, if nothing objects, take
};
/// The keypad flag does not count as a modifier; Shift alone does not make a plain key a
/// combination.
RecorderKeyRole recorderKeyRole(int key, Qt::KeyboardModifiers modifiers);

/// What the recorder needs of the shortcut module, for one slot at a time.
class RecorderBackend {
public:
    virtual ~RecorderBackend() = default;
    /// The slot's combination as shown to the user; empty when it has none.
    virtual QString shortcutText(const std::string& name) const = 0;
    /// Whether the key event yields a combination at all.
    virtual bool hasShortcut(const QKeyEvent& event) const = 0;
    /// Whether another client holds the event's combination.
    virtual bool reservedBySystem(const QKeyEvent& event) const = 0;
    /// Stores the event's combination in the slot (which registers it and announces the change).
    virtual void assign(const std::string& name, const QKeyEvent& event) = 0;
    virtual void clear(const std::string& name) = 0;
    /// While true no global shortcut runs.
    virtual void setPaused(bool paused) = 0;
    /// Why no global shortcut can be had in this session, for people; empty where they can.
    virtual QString unavailableReason() const { return {}; }
};

/// A field that shows one slot's combination; clicking it records the next acceptable key press.
/// Refusals are explained in an alert (the combination opens one of our menu items, or another
/// client holds it, which may be overridden) or signalled by a beep.
class RecorderField : public QLineEdit {
    Q_OBJECT
public:
    static constexpr int minimumWidth = 130;

    RecorderField(RecorderBackend& backend, std::string name, QWidget* parent = nullptr);
    ~RecorderField() override;

    bool isRecording() const { return recording_; }
    /// The clear button, shown while the slot holds a combination.
    QAction* clearAction() const { return clear_; }
    /// Shows the slot's current combination again (the module announced a change).
    void refresh();

    /// Returns the title of our own menu item that the key event would trigger, if any.
    using MenuItemLookup = std::function<std::optional<QString>(const QKeyEvent&)>;
    void setMenuItemLookup(MenuItemLookup lookup) { menuItemFor_ = std::move(lookup); }
    /// Shows an alert and returns the index of the button chosen; replaceable for tests.
    using Alert =
        std::function<int(const QString& message, const QString& informative, const QStringList& buttons)>;
    void setAlert(Alert alert) { alert_ = std::move(alert); }
    /// The beep for a refused key; replaceable for tests.
    void setBeep(std::function<void()> beep) { beep_ = std::move(beep); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

Q_SIGNALS:
    /// The slot now holds a new combination (true) or none (false).
    void shortcutChanged(bool assigned);
    /// Recording started or ended.
    void recordingChanged(bool active);

protected:
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startRecording();
    void endRecording();
    /// Records again after an alert; false when the field is no longer shown.
    bool resumeAfterAlert();
    void clearSlot();

    RecorderBackend& backend_;
    std::string name_;
    bool recording_ = false;
    MenuItemLookup menuItemFor_;
    Alert alert_;
    std::function<void()> beep_;
    QAction* clear_ = nullptr;
};

} // namespace tintwell::ui
