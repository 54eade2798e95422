#include "ui/screens/help_screen.h"

namespace tintwell::ui {

std::vector<HelpSection> HelpScreen::sections(bool updatesOffered) {
    std::vector<HelpSection> all = {
        {"How Tintwell works", "Tintwell continuously warms or cools your screen based on where the sun "
                               "actually is at your location. "
                               "There’s no schedule — the curve follows the real sun, so it adapts "
                               "automatically across seasons and "
                               "time zones."},
        {"Color temperature (Kelvin)",
         "All the K sliders set a color temperature.\n\n• 6500 K — neutral white (your normal display).\n"
         "• 5000 K — slightly warm.\n• 3400 K — a typical desktop night-light setting.\n"
         "• 2000 K — candle-warm, very amber.\n\nLower numbers remove blue light. Higher numbers add it "
         "back."},
        {"Day", "The color temperature used when the sun is well above the horizon. Most people want 6500 K "
                "(neutral) or slightly warmer."},
        {"Night",
         "The color temperature used when the sun is well below the horizon. Lower = warmer screen at "
         "night. Try 3000–3500 K as a starting point; 2000 K is very orange."},
        {"Twilight",
         "How wide a fade zone Tintwell uses around sunrise and sunset to blend Day ↔ Night.\n\n"
         "It’s measured in degrees of solar altitude (how high or low the sun is in the sky). The number "
         "under "
         "the slider shows what that means in minutes for your location.\n\n"
         "• Small (~4°) — quick switch, ~15 min around sunset.\n• Default (12°) — ~45–60 min, smooth and "
         "natural.\n• Large (25°+) — starts warming early, finishes late.\n\n"
         "Larger values feel more gradual; smaller values feel more like a switch."},
        {"Brightness",
         "Multiplier applied on top of the color shift. 1.00 = no dimming, 0.50 = half brightness. This is "
         "independent of your desktop’s display brightness slider — useful if you want a darker screen at "
         "night "
         "without touching the hardware level."},
        {"Gamma", "Tweaks the midtone curve. 1.00 is linear (no change). Above 1 darkens midtones; below 1 "
                  "lightens them. Most people leave this at 1.00."},
        {"Manual override",
         "Pin a specific Kelvin value and ignore the solar curve. The Until picker controls how long:\n\n"
         "• “I turn it off” — indefinite.\n• 15m / 30m / 1h / 2h — reverts to the curve after that.\n"
         "• Next sunrise / sunset — reverts at that solar event."},
        {"Pause", "Disables Tintwell entirely and restores your display’s normal color profile. Useful for "
                  "color-sensitive work like photo editing."},
        {"Auto-detect location", "Uses the system’s location service (GeoClue) to read your latitude and "
                                 "longitude once. Turn it off to "
                                 "enter coordinates manually. Your coordinates stay on this computer. "
                                 "They're used locally to compute "
                                 "the solar curve and are never transmitted."},
        {"Check for updates automatically",
         "When on, Tintwell asks the update server about once a day whether a newer version is available. "
         "The "
         "request only fetches a static update file and carries no location or account information. When "
         "off, "
         "you can still check at any time with “Check for updates now” in the gear menu.",
         true},
    };
    // A build without an update feed is updated by the package manager and never asks the server.
    if (!updatesOffered)
        std::erase_if(all, [](const HelpSection& s) { return s.aboutUpdates; });
    return all;
}

HelpScreen::HelpScreen(bool updatesOffered, QWidget* parent) : SecondaryScreen("Help", parent) {
    setObjectName("helpScreen");
    const auto [scroll, body, layout] = scrollingColumn(this);
    layout->setSpacing(4);
    for (const HelpSection& section : sections(updatesOffered)) {
        layout->addWidget(headingLabel(section.title, body));
        auto* text = new QLabel(section.text, body);
        text->setWordWrap(true);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(text);
        layout->addSpacing(8);
    }
    layout->addStretch(1);
    content()->addWidget(scroll, 1);
}

} // namespace tintwell::ui
