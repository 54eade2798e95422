#include "ui/widgets/recorder_field.h"

#include "ui/model/recorder_texts.h"
#include "ui/widgets/inline_alert.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QStyle>

namespace tintwell::ui {

RecorderKeyRole recorderKeyRole(int key, Qt::KeyboardModifiers modifiers) {
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
        return RecorderKeyRole::Wait;
    default:
        break;
    }
    const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
    if (held == Qt::NoModifier) {
        switch (key) {
        case Qt::Key_Tab:
            return RecorderKeyRole::EndAndPassOn;
        case Qt::Key_Escape:
            return RecorderKeyRole::Cancel;
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
            return RecorderKeyRole::Clear;
        default:
            break;
        }
    }
    if (!(held & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return key >= Qt::Key_F1 && key <= Qt::Key_F35 ? RecorderKeyRole::Candidate : RecorderKeyRole::Refuse;
    return RecorderKeyRole::Candidate;
}

RecorderField::RecorderField(RecorderBackend& backend, std::string name, QWidget* parent)
    : QLineEdit(parent), backend_(backend), name_(std::move(name)) {
    setObjectName("recorderField");
    setMinimumWidth(minimumWidth);
    setAlignment(Qt::AlignCenter);
    setPlaceholderText(recorderText("record_shortcut"));
    // Read-only: the field shows a combination and never takes typing, so it shows no caret.
    setReadOnly(true);
    setFocusPolicy(Qt::StrongFocus);
    clear_ = addAction(style()->standardIcon(QStyle::SP_LineEditClearButton), QLineEdit::TrailingPosition);
    clear_->setText(QStringLiteral("Clear"));
    connect(clear_, &QAction::triggered, this, &RecorderField::clearSlot);
    setContextMenuPolicy(Qt::NoContextMenu);
    // Fixed: a form then puts a long label above the field rather than squeezing the combination.
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    alert_ = [this](const QString& message, const QString& informative, const QStringList& buttons) {
        return InlineAlert::ask(window(), message, informative, buttons);
    };
    beep_ = [] { QApplication::beep(); };
    refresh();
}

RecorderField::~RecorderField() {
    if (recording_) {
        qApp->removeEventFilter(this);
        backend_.setPaused(false);
    }
}

void RecorderField::refresh() {
    const QSignalBlocker block(this);
    // While recording the prompt shows instead of the combination.
    setText(recording_ ? QString() : backend_.shortcutText(name_));
    clear_->setVisible(!text().isEmpty());
    updateGeometry();
}

QSize RecorderField::sizeHint() const {
    // Wide enough for the whole combination beside the clear button, never narrower than the minimum.
    const int text = fontMetrics().horizontalAdvance(backend_.shortcutText(name_));
    return {std::max(minimumWidth, text + QLineEdit::sizeHint().height() + 16),
            QLineEdit::sizeHint().height()};
}

bool RecorderField::event(QEvent* event) {
    // While recording every key is the recorder's: Escape ends the recording, not the screen, and a
    // combination of one of our own menu items is refused instead of run.
    if (recording_ && event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void RecorderField::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    deselect(); // Tab selects a line edit's text; here there is nothing to edit
    // Focus that arrives with a window or popup opening does not start recording; the user's click
    // or Tab does.
    const auto reason = event->reason();
    if (reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
        reason == Qt::ShortcutFocusReason)
        startRecording();
}

void RecorderField::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    // Already focused since the window opened: the click is what starts recording.
    if (hasFocus())
        startRecording();
}

void RecorderField::hideEvent(QHideEvent* event) {
    // A popup closed mid-recording must not leave the global shortcuts paused.
    endRecording();
    QLineEdit::hideEvent(event);
}

void RecorderField::focusOutEvent(QFocusEvent* event) {
    endRecording();
    QLineEdit::focusOutEvent(event);
}

void RecorderField::startRecording() {
    if (recording_)
        return;
    // Recording a combination that can never be had would only mislead.
    if (const QString reason = backend_.unavailableReason(); !reason.isEmpty()) {
        clearFocus();
        alert_(reason, {}, {"OK"});
        return;
    }
    recording_ = true;
    // A centred line edit hides its placeholder while it has the focus; the prompt must show.
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setPlaceholderText(recorderText("press_shortcut"));
    refresh();
    backend_.setPaused(true);
    qApp->installEventFilter(this);
    Q_EMIT recordingChanged(true);
}

void RecorderField::endRecording() {
    if (!recording_)
        return;
    recording_ = false;
    qApp->removeEventFilter(this);
    setAlignment(Qt::AlignCenter);
    setPlaceholderText(recorderText("record_shortcut"));
    refresh();
    backend_.setPaused(false);
    Q_EMIT recordingChanged(false);
}

bool RecorderField::resumeAfterAlert() {
    if (!isVisible())
        return false;
    setFocus(Qt::OtherFocusReason);
    startRecording();
    return true;
}

void RecorderField::clearSlot() {
    backend_.clear(name_);
    refresh();
    Q_EMIT shortcutChanged(false);
    clearFocus();
    endRecording();
}

bool RecorderField::eventFilter(QObject* watched, QEvent* event) {
    if (recording_ && event->type() == QEvent::MouseButtonRelease && watched->isWidgetType()) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint local = mapFromGlobal(mouse->globalPosition().toPoint());
        if (!rect().adjusted(-3, -3, 3, 3).contains(local)) {
            clearFocus();
            endRecording();
        }
    }
    return QLineEdit::eventFilter(watched, event);
}

void RecorderField::keyPressEvent(QKeyEvent* event) {
    if (!recording_) {
        if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            startRecording();
        else
            event->ignore(); // Tab and the rest go on to the parent
        return;
    }
    switch (recorderKeyRole(event->key(), event->modifiers())) {
    case RecorderKeyRole::EndAndPassOn:
        endRecording();
        focusNextChild();
        return;
    case RecorderKeyRole::Cancel:
        // The field keeps the keyboard, so that the next Escape leaves the screen.
        endRecording();
        return;
    case RecorderKeyRole::Clear:
        clearSlot();
        return;
    case RecorderKeyRole::Refuse:
        beep_();
        return;
    case RecorderKeyRole::Wait:
        return;
    case RecorderKeyRole::Candidate:
        break;
    }
    if (!backend_.hasShortcut(*event)) {
        beep_();
        return;
    }
    // The alerts wait in a nested event loop, during which this field may go away.
    const QPointer<RecorderField> self(this);
    if (const auto item = menuItemFor_ ? menuItemFor_(*event) : std::nullopt) {
        endRecording();
        alert_(recorderText("keyboard_shortcut_used_by_menu_item").arg(*item), {}, {recorderText("ok")});
        if (self)
            resumeAfterAlert();
        return;
    }
    const bool f12Alone = event->key() == Qt::Key_F12 && !(event->modifiers() & ~Qt::KeypadModifier);
    if (!f12Alone && backend_.reservedBySystem(*event)) {
        endRecording();
        const int answer = alert_(recorderText("keyboard_shortcut_used_by_system"),
                                  recorderText("keyboard_shortcuts_can_be_changed"),
                                  {recorderText("ok"), recorderText("force_use_shortcut")});
        if (!self || !resumeAfterAlert() || answer != 1)
            return;
    }
    backend_.assign(name_, *event);
    refresh();
    Q_EMIT shortcutChanged(true);
    clearFocus();
    endRecording();
}

} // namespace tintwell::ui
