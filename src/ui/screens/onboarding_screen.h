#pragma once

#include "ui/model/onboarding_plan.h"

#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include <QWidget>

class QIcon;
class QLabel;
class QPushButton;
class QStackedWidget;

namespace tintwell::settings {
class AppState;
}

namespace tintwell::ui {

/// The first-run flow: asking for the location, then for the update consent, with progress dots
/// when both are asked.
class OnboardingScreen : public QWidget {
    Q_OBJECT
public:
    /// `needs` tells, whenever asked, which steps are still open.
    OnboardingScreen(settings::AppState& state, std::function<OnboardingNeeds()> needs,
                     QWidget* parent = nullptr);

    /// The plan, fixed on the first showing.
    const std::optional<std::vector<OnboardingStep>>& plan() const { return plan_; }
    OnboardingStep shownStep() const;
    /// Re-reads the needs: fixes the plan on the first call, then picks the step and lights its dot.
    void refresh();
    /// Whether the dot at `index` is lit; the number of dots shown.
    bool dotLit(std::size_t index) const;
    std::size_t dotCount() const;

Q_SIGNALS:
    /// "Use my location": ask the location service, which raises the permission question.
    void useCurrentLocationRequested();
    /// Either location choice: the location screen follows, where the detection's progress and
    /// outcome show and the place can be picked on the map or typed.
    void locationScreenRequested();
    /// No step is open any more.
    void finished();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    /// Colours the dots from the palette: a style sheet keeps the colours it was given.
    void colourDots();
    /// The step's prominent button and the plain one below it.
    std::pair<QPushButton*, QPushButton*> addChoices(QWidget* step, const QIcon& icon, const QString& primary,
                                                     const QString& secondary);
    QWidget* makeStep(const QString& symbol, const QString& title, const QString& subtitle,
                      const QString& text, const QString& cardIcon, const QString& cardTitle,
                      const QString& cardText);

    settings::AppState& state_;
    std::function<OnboardingNeeds()> needs_;
    std::optional<std::vector<OnboardingStep>> plan_;
    QStackedWidget* steps_;
    QWidget* dotsRow_;
    std::vector<QLabel*> dots_;
    std::size_t lit_ = 0;
};

} // namespace tintwell::ui
