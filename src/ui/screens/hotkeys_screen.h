#pragma once

#include "ui/screens/secondary_screen.h"
#include "ui/widgets/recorder_field.h"

#include <functional>
#include <vector>

class QPushButton;

namespace tintwell::ui {

/// One recorder per hotkey slot, and "Reset all".
class HotkeysScreen : public SecondaryScreen {
    Q_OBJECT
public:
    struct Slot {
        QString label;
        std::string name;
    };
    /// The six slots in the order shown.
    static const std::vector<Slot>& slots();

    /// `resetAll` returns every slot to its default.
    HotkeysScreen(RecorderBackend& backend, std::function<void()> resetAll, QWidget* parent = nullptr);

    const std::vector<RecorderField*>& fields() const { return fields_; }
    QPushButton* resetButton() const { return reset_; }
    /// Shows every slot's combination again.
    void refresh();

private:
    std::vector<RecorderField*> fields_;
    QPushButton* reset_;
};

} // namespace tintwell::ui
