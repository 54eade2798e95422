#pragma once

#include "ui/screens/secondary_screen.h"

#include <vector>

namespace tintwell::ui {

struct HelpSection {
    QString title;
    QString text;
    bool aboutUpdates = false; ///< only for a build with an update feed
};

/// What each control does; the update section only in a build with an update feed.
class HelpScreen : public SecondaryScreen {
    Q_OBJECT
public:
    explicit HelpScreen(bool updatesOffered, QWidget* parent = nullptr);

    static std::vector<HelpSection> sections(bool updatesOffered);
};

} // namespace tintwell::ui
