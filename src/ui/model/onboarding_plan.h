#pragma once

#include <vector>

namespace tintwell::ui {

enum class OnboardingStep { Location, Updates };

/// What decides the first-run flow: whether automatic location still waits for the user's
/// permission, and whether the update consent is still undecided.
struct OnboardingNeeds {
    bool locationStep = false;
    bool updatesStep = false;
    bool any() const { return locationStep || updatesStep; }
};

/// The steps, in order, fixed when the flow is first shown.
std::vector<OnboardingStep> onboardingPlan(const OnboardingNeeds& needs);
/// The step to show now: location while it is needed, else updates.
OnboardingStep currentOnboardingStep(const OnboardingNeeds& needs);
/// The progress dot to light: the first entry of the plan equal to `step`, else the first.
std::size_t litProgressDot(const std::vector<OnboardingStep>& plan, OnboardingStep step);

} // namespace tintwell::ui
