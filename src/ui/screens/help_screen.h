#pragma once

#include "ui/screens/secondary_screen.h"

#include <vector>

namespace tintwell::ui {

struct HelpSection {
    QString title;
    QString text;
};

/// What each control does, in eleven sections.
class HelpScreen : public SecondaryScreen {
    Q_OBJECT
public:
    explicit HelpScreen(QWidget* parent = nullptr);

    static const std::vector<HelpSection>& sections();
};

} // namespace tintwell::ui
