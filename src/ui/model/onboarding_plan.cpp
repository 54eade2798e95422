#include "ui/model/onboarding_plan.h"

#include <algorithm>

namespace tintwell::ui {

std::vector<OnboardingStep> onboardingPlan(const OnboardingNeeds& needs) {
    std::vector<OnboardingStep> plan;
    if (needs.locationStep)
        plan.push_back(OnboardingStep::Location);
    if (needs.updatesStep)
        plan.push_back(OnboardingStep::Updates);
    return plan;
}

OnboardingStep currentOnboardingStep(const OnboardingNeeds& needs) {
    return needs.locationStep ? OnboardingStep::Location : OnboardingStep::Updates;
}

std::size_t litProgressDot(const std::vector<OnboardingStep>& plan, OnboardingStep step) {
    const auto it = std::find(plan.begin(), plan.end(), step);
    return it == plan.end() ? 0 : static_cast<std::size_t>(it - plan.begin());
}

} // namespace tintwell::ui
