#include "ui/screens/onboarding_screen.h"

#include "settings/app_state.h"
#include "ui/screens/secondary_screen.h"
#include "ui/widgets/focus_order.h"
#include "ui/widgets/symbol_provider.h"

#include <QEvent>
#include <QFrame>
#include <QPushButton>
#include <QStackedWidget>

namespace tintwell::ui {

OnboardingScreen::OnboardingScreen(settings::AppState& state, std::function<OnboardingNeeds()> needs,
                                   QWidget* parent)
    : QWidget(parent), state_(state), needs_(std::move(needs)) {
    setObjectName("onboardingScreen");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 18);
    // A step longer than the popup scrolls.
    const ScrollingColumn scroll = scrollingColumn(this);
    steps_ = new QStackedWidget(scroll.body);
    scroll.column->addWidget(steps_);
    layout->addWidget(scroll.area, 1);

    QWidget* location = makeStep(
        "location.circle.fill", "Follow the real sun", "Tintwell adapts your screen to the time of day",
        "To do that, Tintwell needs your location so it can compute the sun’s altitude. The screen then "
        "warms at "
        "sunset and cools at sunrise, automatically across seasons and time zones.",
        "lock.shield.fill", "Stays on this computer",
        "Tintwell never makes network requests with your location. There's no server to send it to.");
    auto [useLocation, manual] = addChoices(location, SymbolProvider::icon("location.fill"),
                                            "Use my location", "Enter coordinates manually");
    useLocation->setObjectName("useMyLocation");
    manual->setObjectName("enterManually");
    connect(useLocation, &QPushButton::clicked, this, [this] {
        Q_EMIT useCurrentLocationRequested();
        Q_EMIT locationScreenRequested();
    });
    connect(manual, &QPushButton::clicked, this, [this] {
        state_.setUseAutoLocation(false);
        state_.save();
        Q_EMIT locationScreenRequested();
    });
    steps_->addWidget(location);

    QWidget* updates = makeStep(
        "arrow.triangle.2.circlepath.circle.fill", "Stay up to date", "Choose how Tintwell gets new versions",
        "Tintwell can check for new versions about once a day and let you know when one is ready to install. "
        "You're always in control, and nothing installs without your confirmation.",
        "lock.shield.fill", "No account, no tracking",
        "A check is just a request for an update file. No analytics, no account, and your location is never "
        "sent.");
    auto [allow, decline] =
        addChoices(updates, SymbolProvider::icon("checkmark.circle.fill", QColor(0x2e, 0x9d, 0x4a)),
                   "Check automatically", "Only when I check manually");
    allow->setObjectName("checkAutomatically");
    decline->setObjectName("checkManually");
    auto* note = captionLabel("You can change this any time in the gear menu.", updates);
    note->setAlignment(Qt::AlignCenter);
    updates->layout()->addWidget(note);
    connect(allow, &QPushButton::clicked, this, [this] {
        state_.setUpdateConsent(settings::UpdateConsent::Allowed);
        refresh();
    });
    connect(decline, &QPushButton::clicked, this, [this] {
        state_.setUpdateConsent(settings::UpdateConsent::Declined);
        refresh();
    });
    steps_->addWidget(updates);

    dotsRow_ = new QWidget(this);
    auto* dots = new QHBoxLayout(dotsRow_);
    dots->setContentsMargins(0, 0, 0, 0);
    dots->setSpacing(6);
    dots->addStretch(1);
    for (int i = 0; i < 2; ++i) {
        auto* dot = new QLabel(dotsRow_);
        dot->setFixedSize(6, 6);
        dots->addWidget(dot);
        dots_.push_back(dot);
    }
    dots->addStretch(1);
    layout->addWidget(dotsRow_);
}

QWidget* OnboardingScreen::makeStep(const QString& symbol, const QString& title, const QString& subtitle,
                                    const QString& text, const QString& cardIcon, const QString& cardTitle,
                                    const QString& cardText) {
    auto* step = new QWidget(steps_);
    auto* layout = new QVBoxLayout(step);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    auto* icon = new QLabel(step);
    icon->setObjectName("stepSymbol");
    icon->setPixmap(SymbolProvider::paintedIcon(symbol, QColor(0x0a, 0x84, 0xff)).pixmap(48, 48));
    icon->setAlignment(Qt::AlignCenter);
    layout->addWidget(icon);
    auto* heading = headingLabel(title, step);
    QFont f = heading->font();
    f.setPointSizeF(f.pointSizeF() * 1.4);
    heading->setFont(f);
    heading->setAlignment(Qt::AlignCenter);
    layout->addWidget(heading);
    auto* sub = captionLabel(subtitle, step);
    sub->setAlignment(Qt::AlignCenter);
    layout->addWidget(sub);
    auto* body = new QLabel(text, step);
    body->setWordWrap(true);
    layout->addWidget(body);
    auto* card = new QFrame(step);
    card->setFrameShape(QFrame::StyledPanel);
    auto* cardLayout = new QHBoxLayout(card);
    auto* cardSymbol = new QLabel(card);
    cardSymbol->setPixmap(SymbolProvider::paintedIcon(cardIcon, QColor(0x2e, 0x9d, 0x4a)).pixmap(22, 22));
    cardSymbol->setAlignment(Qt::AlignTop);
    cardLayout->addWidget(cardSymbol);
    auto* cardColumn = new QVBoxLayout;
    cardColumn->addWidget(headingLabel(cardTitle, card));
    cardColumn->addWidget(captionLabel(cardText, card));
    cardLayout->addLayout(cardColumn, 1);
    layout->addWidget(card);
    layout->addStretch(1);
    return step;
}

std::pair<QPushButton*, QPushButton*> OnboardingScreen::addChoices(QWidget* step, const QIcon& icon,
                                                                   const QString& primary,
                                                                   const QString& secondary) {
    auto* first = new QPushButton(icon, primary, step);
    first->setDefault(true);
    auto* second = new QPushButton(secondary, step);
    second->setFlat(true);
    step->layout()->addWidget(first);
    step->layout()->addWidget(second);
    // The default look and the flat one show no focus of their own.
    showFocusRing(first);
    showFocusRing(second);
    return {first, second};
}

void OnboardingScreen::showEvent(QShowEvent* event) {
    refresh();
    QWidget::showEvent(event);
}

OnboardingStep OnboardingScreen::shownStep() const {
    return steps_->currentIndex() == 0 ? OnboardingStep::Location : OnboardingStep::Updates;
}

void OnboardingScreen::refresh() {
    const OnboardingNeeds needs = needs_();
    if (!plan_)
        plan_ = onboardingPlan(needs);
    if (!needs.any()) {
        Q_EMIT finished();
        return;
    }
    const OnboardingStep step = currentOnboardingStep(needs);
    steps_->setCurrentIndex(step == OnboardingStep::Location ? 0 : 1);
    lit_ = litProgressDot(*plan_, step);
    dotsRow_->setVisible(plan_->size() >= 2);
    for (std::size_t i = 0; i < dots_.size(); ++i)
        dots_[i]->setVisible(i < plan_->size());
    colourDots();
}

void OnboardingScreen::colourDots() {
    const QColor accent = palette().color(QPalette::Highlight);
    QColor dim = palette().color(QPalette::PlaceholderText);
    dim.setAlphaF(0.3f);
    for (std::size_t i = 0; i < dots_.size(); ++i)
        dots_[i]->setStyleSheet(QString("background: %1; border-radius: 3px;")
                                    .arg((i == lit_ ? accent : dim).name(QColor::HexArgb)));
}

void OnboardingScreen::changeEvent(QEvent* event) {
    // A switch between light and dark themes while the screen is up.
    if (event->type() == QEvent::PaletteChange)
        colourDots();
    QWidget::changeEvent(event);
}

bool OnboardingScreen::dotLit(std::size_t index) const {
    return dotsRow_->isVisibleTo(this) && index == lit_ && index < dotCount();
}

std::size_t OnboardingScreen::dotCount() const {
    return plan_ && plan_->size() >= 2 ? plan_->size() : 0;
}

} // namespace tintwell::ui
