#include "ui/screens/main_screen.h"

#include "platform/display_services.h"
#include "settings/app_state.h"
#include "settings/profile_manager.h"
#include "ui/model/location_status.h"
#include "ui/model/sun_events.h"
#include "ui/model/text_formats.h"
#include "ui/widgets/busy_indicator.h"
#include "ui/widgets/day_strip_panel.h"
#include "ui/widgets/display_arrangement_canvas.h"
#include "ui/widgets/horizon_ribbon.h"
#include "ui/widgets/location_banner.h"
#include "ui/widgets/menu_tracker.h"
#include "ui/widgets/slider_row.h"
#include "ui/widgets/symbol_provider.h"
#include "ui/widgets/text_labels.h"
#include "watchers/app_exceptions_manager.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace tintwell::ui {

using settings::ProfileField;

namespace {

const QColor green(0x2e, 0x9d, 0x4a);
const QColor orange(0xf0, 0x8c, 0x00);

QLabel* symbolLabel(const QString& symbol, QWidget* parent, std::optional<QColor> tint = std::nullopt,
                    int side = 16) {
    auto* l = new QLabel(parent);
    l->setPixmap(SymbolProvider::icon(symbol, tint).pixmap(QSize(side, side)));
    l->setFixedSize(side, side);
    return l;
}

QLabel* secondaryLabel(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    // A role rather than a colour, so the label follows a switch between light and dark themes.
    l->setForegroundRole(QPalette::PlaceholderText);
    QFont f = l->font();
    f.setPointSizeF(f.pointSizeF() * 0.9);
    l->setFont(f);
    return l;
}

QFrame* divider(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

MainScreen::MainScreen(ViewContext context, QWidget* parent) : QWidget(parent), ctx_(std::move(context)) {
    if (!ctx_.now)
        ctx_.now = [] { return instantFromSystemClock(std::chrono::system_clock::now()); };
    setObjectName(QStringLiteral("mainScreen"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 12);
    layout->setSpacing(8);
    buildHeader();
    layout->addWidget(divider(this));
    buildBanners();
    buildStatusAndToggles();
    buildScope();
    buildSliders();
    buildLocationRow();

    settings::AppState* state = ctx_.state;
    connect(state, &settings::AppState::objectWillChange, &refreshSoon_, &CoalescedCall::request);
    connect(ctx_.editor, &settings::DisplaySettingsEditor::editTargetIdChanged, &refreshSoon_,
            &CoalescedCall::request);
    connect(ctx_.editor, &settings::DisplaySettingsEditor::connectedDisplaysChanged, &refreshSoon_,
            &CoalescedCall::request);
    connect(ctx_.location, &LocationStatus::changed, &refreshSoon_, &CoalescedCall::request);
    if (ctx_.exceptions)
        connect(ctx_.exceptions, &watchers::AppExceptionsManager::activeOverrideChanged, &refreshSoon_,
                &CoalescedCall::request);
    refresh();
}

void MainScreen::buildBanners() {
    banners_ = new LocationBanners(ctx_.desktop.locationSettings(), this);
    connect(banners_, &LocationBanners::retryRequested, this,
            [this] { call(ctx_.callbacks.onUseCurrentLocation); });
    // The assignment writes every scalar key itself.
    connect(banners_, &LocationBanners::manualRequested, this,
            [this] { ctx_.state->setUseAutoLocation(false); });
    layout()->addWidget(banners_);
    // Another program on the desktop may hold the tables (GNOME Night Light): say so at the top.
    desktopConflict_ = new QLabel(this);
    desktopConflict_->setObjectName(QStringLiteral("desktopConflict"));
    desktopConflict_->setWordWrap(true);
    QPalette warning = desktopConflict_->palette();
    warning.setColor(QPalette::WindowText, orange);
    desktopConflict_->setPalette(warning);
    desktopConflict_->hide();
    layout()->addWidget(desktopConflict_);
    if (ctx_.displays)
        connect(ctx_.displays, &platform::DisplayServices::conflictChanged, &refreshSoon_,
                &CoalescedCall::request);
}

void MainScreen::buildStatusAndToggles() {
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    auto* status = new QHBoxLayout;
    status->addWidget(new QLabel(QStringLiteral("Now"), this));
    status->addStretch(1);
    statusText_ = new QLabel(this);
    statusText_->setObjectName(QStringLiteral("statusText"));
    status->addWidget(statusText_);
    layout->addLayout(status);

    overrideRow_ = new QWidget(this);
    auto* overrideLayout = new QHBoxLayout(overrideRow_);
    overrideLayout->setContentsMargins(0, 0, 0, 0);
    overrideLayout->addWidget(symbolLabel(QStringLiteral("app.badge.checkmark"), overrideRow_));
    overrideText_ = new ElidedLabel(overrideRow_);
    overrideText_->setObjectName(QStringLiteral("overrideText"));
    overrideLayout->addWidget(overrideText_, 1);
    layout->addWidget(overrideRow_);

    auto* toggles = new QHBoxLayout;
    pause_ = new QCheckBox(QStringLiteral("Pause"), this);
    pause_->setObjectName(QStringLiteral("pauseToggle"));
    pause_->setToolTip(
        wrappingToolTip(QStringLiteral("Pause (identity gamma): restore the system color profile.")));
    manual_ = new QCheckBox(QStringLiteral("Manual override"), this);
    manual_->setObjectName(QStringLiteral("manualToggle"));
    toggles->addWidget(pause_);
    toggles->addStretch(1);
    toggles->addWidget(manual_);
    layout->addLayout(toggles);
    settings::AppState* state = ctx_.state;
    connect(pause_, &QCheckBox::clicked, state, [state](bool on) { state->setPaused(on); });
    connect(manual_, &QCheckBox::clicked, state, [state](bool on) { state->setManualOverride(on); });
}

void MainScreen::buildScope() {
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    scopeBox_ = new QWidget(this);
    auto* column = new QVBoxLayout(scopeBox_);
    column->setContentsMargins(0, 0, 0, 0);
    auto* picker = new QHBoxLayout;
    auto* editing = new QLabel(QStringLiteral("Editing"), scopeBox_);
    picker->addWidget(editing);
    scopePicker_ = new ElidedComboBox(scopeBox_);
    scopePicker_->setObjectName(QStringLiteral("scopePicker"));
    scopePicker_->setAccessibleName(QStringLiteral("Editing"));
    // Long display names are cut short in the closed picker rather than widening the popup.
    scopePicker_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    scopePicker_->setMinimumContentsLength(6);
    editing->setBuddy(scopePicker_);
    picker->addWidget(scopePicker_, 1);
    arrangementButton_ = new QToolButton(scopeBox_);
    arrangementButton_->setObjectName(QStringLiteral("arrangementButton"));
    arrangementButton_->setIcon(SymbolProvider::icon(QStringLiteral("rectangle.3.group")));
    arrangementButton_->setToolTip(QStringLiteral("Show the display arrangement map."));
    arrangementButton_->setAccessibleName(QStringLiteral("Display arrangement"));
    arrangementButton_->setCheckable(true);
    picker->addWidget(arrangementButton_);
    displaysButton_ = new QToolButton(scopeBox_);
    displaysButton_->setIcon(SymbolProvider::icon(QStringLiteral("arrow.up.forward.app")));
    displaysButton_->setToolTip(
        wrappingToolTip(QStringLiteral("Open the display settings to rearrange or mirror monitors.")));
    displaysButton_->setAccessibleName(QStringLiteral("Open display settings"));
    const auto displaySettings = ctx_.desktop.displaySettings();
    displaysButton_->setVisible(displaySettings.has_value());
    if (displaySettings)
        connect(displaysButton_, &QToolButton::clicked, this,
                [command = *displaySettings] { DesktopSettings::open(command); });
    picker->addWidget(displaysButton_);
    column->addLayout(picker);

    arrangement_ = new DisplayArrangementCanvas(scopeBox_);
    arrangement_->setObjectName(QStringLiteral("arrangement"));
    connect(arrangement_, &DisplayArrangementCanvas::displaySelected, this,
            [this](core::DisplayId id) { ctx_.editor->setEditTargetId(id); });
    arrangement_->hide();
    column->addWidget(arrangement_);
    connect(arrangementButton_, &QToolButton::toggled, &refreshSoon_, &CoalescedCall::request);

    auto* statusLine = new QHBoxLayout;
    scopeIcon_ = symbolLabel(QStringLiteral("exclamationmark.triangle"), scopeBox_, orange, 14);
    statusLine->addWidget(scopeIcon_);
    scopeStatus_ = secondaryLabel({}, scopeBox_);
    scopeStatus_->setObjectName(QStringLiteral("scopeStatus"));
    scopeStatus_->setWordWrap(true);
    statusLine->addWidget(scopeStatus_, 1);
    useGlobal_ = new QPushButton(QStringLiteral("Use global"), scopeBox_);
    useGlobal_->setObjectName(QStringLiteral("useGlobal"));
    statusLine->addWidget(useGlobal_);
    column->addLayout(statusLine);
    layout->addWidget(scopeBox_);

    settings::DisplaySettingsEditor* editor = ctx_.editor;
    connect(scopePicker_, &QComboBox::activated, editor, [this, editor](int index) {
        const QVariant id = scopePicker_->itemData(index);
        editor->setEditTargetId(id.isValid() ? std::optional(id.value<core::DisplayId>()) : std::nullopt);
    });
    connect(useGlobal_, &QPushButton::clicked, editor, [editor] { editor->useGlobalForTarget(); });
}

void MainScreen::buildSliders() {
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    const auto makeRow = [this](ProfileField field, std::function<void(double)> also = {}) {
        auto* row = new SliderRow(sliderDefinition(field), [this, field, also](double v) {
            writeScoped(field, v);
            if (also)
                also(v);
        });
        rows_[field] = row;
        return row;
    };

    manualBox_ = new QWidget(this);
    auto* manualColumn = new QVBoxLayout(manualBox_);
    manualColumn->setContentsMargins(0, 0, 0, 0);
    manualColumn->addWidget(
        makeRow(ProfileField::ManualKelvin, [this](double) { call(ctx_.callbacks.onManualApply); }));
    auto* until = new QHBoxLayout;
    auto* untilLabel = new QLabel(QStringLiteral("Until"), manualBox_);
    until->addWidget(untilLabel);
    until->addStretch(1);
    untilButton_ = new QToolButton(manualBox_);
    untilButton_->setObjectName(QStringLiteral("untilButton"));
    untilButton_->setPopupMode(QToolButton::InstantPopup);
    untilButton_->setAccessibleName(QStringLiteral("Until"));
    untilMenu_ = new QMenu(untilButton_);
    untilButton_->setMenu(untilMenu_);
    untilLabel->setBuddy(untilButton_);
    connect(untilMenu_, &QMenu::aboutToShow, this, &MainScreen::rebuildUntilMenu);
    if (ctx_.menus)
        ctx_.menus->track(untilMenu_);
    until->addWidget(untilButton_);
    manualColumn->addLayout(until);
    untilCaption_ = secondaryLabel({}, manualBox_);
    untilCaption_->setObjectName(QStringLiteral("untilCaption"));
    untilCaption_->setWordWrap(true);
    manualColumn->addWidget(untilCaption_);
    layout->addWidget(manualBox_);

    layout->addWidget(makeRow(ProfileField::DayKelvin));
    layout->addWidget(makeRow(ProfileField::NightKelvin));
    ribbon_ = new HorizonRibbon(this);
    layout->addWidget(ribbon_);
    layout->addWidget(
        new DayStripPanel(ctx_.state, ctx_.editor, ctx_.now, ctx_.callbacks.onPreviewKelvin, this));
    layout->addWidget(makeRow(ProfileField::TransitionWidthDeg));
    twilightSubtitle_ = secondaryLabel({}, this);
    twilightSubtitle_->setObjectName(QStringLiteral("twilightSubtitle"));
    twilightSubtitle_->setWordWrap(true);
    layout->addWidget(twilightSubtitle_);
    layout->addWidget(makeRow(ProfileField::Brightness));
    layout->addWidget(makeRow(ProfileField::Gamma));
    capabilityReason_ = secondaryLabel({}, this);
    capabilityReason_->setObjectName(QStringLiteral("displayCapabilities"));
    capabilityReason_->setWordWrap(true);
    layout->addWidget(capabilityReason_);
}

void MainScreen::buildLocationRow() {
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    layout->addWidget(divider(this));
    auto* row = new QHBoxLayout;
    locationIcon_ = new QLabel(this);
    locationIcon_->setFixedSize(16, 16);
    row->addWidget(locationIcon_);
    auto* column = new QVBoxLayout;
    column->setSpacing(0);
    column->addWidget(new QLabel(QStringLiteral("Location"), this));
    locationCaption_ = secondaryLabel({}, this);
    locationCaption_->setObjectName(QStringLiteral("locationCaption"));
    locationCaption_->setWordWrap(true);
    column->addWidget(locationCaption_);
    row->addLayout(column, 1);
    busy_ = new BusyIndicator(14, this);
    row->addWidget(busy_);
    auto* edit = new QPushButton(QStringLiteral("Edit…"), this);
    edit->setObjectName(QStringLiteral("editLocation"));
    connect(edit, &QPushButton::clicked, this, [this] { Q_EMIT screenRequested(Screen::Location); });
    row->addWidget(edit);
    layout->addLayout(row);
}

void MainScreen::writeScoped(ProfileField field, double value) {
    ctx_.editor->setScopedValue(field, value);
}

void MainScreen::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    recomputeTwilightEstimate();
    ctx_.editor->refreshConnectedDisplays();
    refresh();
}

void MainScreen::recomputeTwilightEstimate() {
    const settings::AppState& s = *ctx_.state;
    estimatedFor_ = CurveInputs{s.transitionWidthDeg(), s.latitude(), s.longitude()};
    twilightMinutes_ =
        ui::twilightMinutesEstimate(s.latitude(), s.longitude(), s.transitionWidthDeg(), ctx_.now());
}

void MainScreen::refresh() {
    const settings::AppState& s = *ctx_.state;
    const QString conflict = ctx_.displays ? QString::fromStdString(ctx_.displays->conflict()) : QString();
    desktopConflict_->setText(conflict);
    desktopConflict_->setVisible(!conflict.isEmpty());
    // A desktop that takes only a temperature (KWin's night light): the rest greyed, with why.
    const auto capabilities = ctx_.displays ? ctx_.displays->capabilities() : platform::DisplayCapabilities{};
    rows_[ProfileField::Brightness]->setEnabled(capabilities.brightness);
    rows_[ProfileField::Gamma]->setEnabled(capabilities.gamma);
    capabilityReason_->setText(QString::fromStdString(capabilities.reason));
    capabilityReason_->setVisible(!capabilities.reason.empty());
    if (estimatedFor_ &&
        !(*estimatedFor_ == CurveInputs{s.transitionWidthDeg(), s.latitude(), s.longitude()}))
        recomputeTwilightEstimate();

    const QString title =
        profileMenuTitle(QString::fromStdString(s.activeProfileName()), s.isActiveProfileDirty());
    // The name gives way; the mark for unsaved changes always shows.
    const QString name = QString::fromStdString(s.activeProfileName());
    profileButton_->setFullText(name, title.mid(name.size()));
    profileButton_->setToolTip(wrappingToolTip(title));
    profileButton_->setAccessibleName(QStringLiteral("Profile: ") + title);

    statusText_->setText(statusText(s.currentKelvin(), s.currentAltitude()));
    const auto* active = ctx_.exceptions ? &ctx_.exceptions->activeOverride() : nullptr;
    overrideRow_->setVisible(active && active->has_value());
    if (active && *active)
        overrideText_->setFullText(QString::fromStdString((*active)->summary()));

    pause_->setChecked(s.paused());
    manual_->setChecked(s.manualOverride());
    refreshScope();

    manualBox_->setVisible(s.manualOverride());
    const auto until = s.manualOverrideUntil();
    untilButton_->setText(until ? shortTime(*until) : QStringLiteral("I turn it off"));
    untilCaption_->setVisible(until.has_value());
    if (until)
        untilCaption_->setText(QStringLiteral("auto-clears ") + relativeTime(*until, ctx_.now()));

    for (auto& [field, row] : rows_)
        row->setValue(ctx_.editor->scopedValue(field));

    const core::DisplaySettings effective = ctx_.editor->effectiveSettings();
    HorizonRibbonModel model;
    model.dayKelvin = effective.dayKelvin;
    model.nightKelvin = effective.nightKelvin;
    model.transitionWidthDeg = effective.transitionWidthDeg;
    model.currentAltitude = s.currentAltitude();
    model.currentKelvin =
        ctx_.editor->editTargetKey() ? scopedRibbonKelvin(effective, s.currentAltitude()) : s.currentKelvin();
    ribbon_->setModel(model);
    twilightSubtitle_->setText(twilightSubtitle(twilightMinutes_));

    refreshLocation();
}

void MainScreen::refreshScope() {
    const settings::DisplaySettingsEditor& editor = *ctx_.editor;
    const auto& displays = editor.connectedDisplays();
    scopeBox_->setVisible(displays.size() >= 2);

    QString signature;
    for (const auto& d : displays)
        signature += QStringLiteral("%1:%2:%3;")
                         .arg(d.id)
                         .arg(QString::fromStdString(d.name))
                         .arg(editor.hasOverride(d.id));
    if (signature != scopeSignature_) {
        scopeSignature_ = signature;
        scopePicker_->clear();
        scopePicker_->addItem(QStringLiteral("All displays"));
        for (const auto& d : displays) {
            const QString name = QString::fromStdString(d.name);
            if (editor.hasOverride(d.id))
                scopePicker_->addItem(SymbolProvider::icon(QStringLiteral("paintpalette.fill")), name,
                                      QVariant::fromValue(d.id));
            else
                scopePicker_->addItem(name, QVariant::fromValue(d.id));
        }
    }
    const auto target = editor.editTargetId();
    scopePicker_->setCurrentIndex(target ? std::max(0, scopePicker_->findData(QVariant::fromValue(*target)))
                                         : 0);

    arrangement_->setVisible(arrangementButton_->isChecked());
    if (arrangementButton_->isChecked()) {
        arrangement_->setDisplays(displays);
        arrangement_->setSelectedId(editor.editTargetId());
    }

    const auto key = editor.editTargetKey();
    scopeIcon_->setVisible(target && !key);
    useGlobal_->setVisible(target && key && editor.hasOverride(*target));
    if (!target)
        scopeStatus_->setText(QStringLiteral("Adjusting all displays together."));
    else if (!key)
        scopeStatus_->setText(QStringLiteral("Can't identify this display; edits apply globally."));
    else if (editor.hasOverride(*target))
        scopeStatus_->setText(QStringLiteral("Customized for this display."));
    else
        scopeStatus_->setText(QStringLiteral("Inherits global settings."));
}

void MainScreen::refreshLocation() {
    const settings::AppState& s = *ctx_.state;
    const LocationStatus& loc = *ctx_.location;
    const bool automatic = s.useAutoLocation();
    const bool hasError = loc.lastError() != LocationStatus::Error::None;

    using Showing = LocationBanners::Showing;
    if (automatic && loc.isDenied())
        banners_->showFor(Showing::Denied);
    else if (automatic && hasError && !loc.isFetching())
        banners_->showFor(loc.lastError() == LocationStatus::Error::TimedOut ? Showing::TimedOut
                                                                             : Showing::Failed);
    else
        banners_->showFor(Showing::None);

    QString symbol = QStringLiteral("location.fill.viewfinder");
    std::optional<QColor> tint = palette().color(QPalette::PlaceholderText);
    if (automatic && hasError) {
        symbol = QStringLiteral("exclamationmark.triangle.fill");
        tint = orange;
    } else if (automatic && loc.isDenied()) {
        symbol = QStringLiteral("location.slash.fill");
        tint = orange;
    } else if (automatic) {
        symbol = QStringLiteral("location.fill");
        tint = green;
    }
    locationIcon_->setPixmap(SymbolProvider::paintedIcon(symbol, tint).pixmap(QSize(16, 16)));
    locationCaption_->setText(locationSummary(s.latitude(), s.longitude(), automatic));
    busy_->setVisible(loc.isFetching());
}

} // namespace tintwell::ui
