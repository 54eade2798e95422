#include "ui/widgets/day_strip_panel.h"

#include "platform/instant_date_time.h"
#include "settings/app_state.h"
#include "settings/display_settings_editor.h"
#include "ui/model/day_strip_layout.h"
#include "ui/widgets/day_strip.h"
#include "ui/widgets/text_labels.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tintwell::ui {
namespace {

const QString previewText = QStringLiteral("Preview day");
const QString stopText = QStringLiteral("Stop preview");

QString sunCaption(const DaySchedule& day) {
    const QString polar = sunlightSentence(day.sunlight);
    if (!polar.isEmpty())
        return polar;
    QStringList parts;
    if (const auto rise = day.first(DayEventKind::Sunrise))
        parts << QStringLiteral("Sunrise ") + dayStrip::eventTime(*rise);
    if (const auto set = day.first(DayEventKind::Sunset))
        parts << QStringLiteral("Sunset ") + dayStrip::eventTime(*set);
    if (day.lengthHours() != 24)
        parts << QStringLiteral("%1-hour day (clocks go %2)")
                     .arg(day.lengthHours())
                     .arg(day.lengthHours() < 24 ? QStringLiteral("forward") : QStringLiteral("back"));
    return parts.join(QStringLiteral(" · "));
}

} // namespace

DayStripPanel::DayStripPanel(settings::AppState* state, settings::DisplaySettingsEditor* editor,
                             std::function<Instant()> now, Preview preview, QWidget* parent)
    : QWidget(parent), state_(state), editor_(editor), now_(std::move(now)), preview_(std::move(preview)) {
    setObjectName(QStringLiteral("dayStripPanel"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    strip_ = new DayStrip(this);
    column->addWidget(strip_);
    auto* row = new QHBoxLayout;
    caption_ = captionLabel({}, this);
    caption_->setObjectName(QStringLiteral("dayCaption"));
    caption_->setWordWrap(true);
    caption_->setMinimumWidth(1);
    caption_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    caption_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    row->addWidget(caption_, 1);
    previewButton_ = new QPushButton(previewText, this);
    previewButton_->setObjectName(QStringLiteral("previewDay"));
    previewButton_->setToolTip(QStringLiteral("Play today's colors on the displays in about five seconds."));
    row->addWidget(previewButton_, 0, Qt::AlignTop);
    column->addLayout(row);

    connect(strip_, &DayStrip::scrubbed, this, [this](Instant at) {
        player_.stop();
        showInstant(at);
    });
    connect(strip_, &DayStrip::scrubEnded, this, &DayStripPanel::endPreview);
    connect(strip_, &DayStrip::cursorMoved, this, [this](Instant at) {
        setCaption(dayStrip::hoverText(strip_->schedule(), at).replace('\n', " · "));
    });
    connect(&player_, &DayPreviewPlayer::frame, this, &DayStripPanel::showInstant);
    connect(&player_, &DayPreviewPlayer::stopped, this, &DayStripPanel::endPreview);
    connect(previewButton_, &QPushButton::clicked, this, [this] {
        if (player_.isPlaying()) {
            player_.stop();
            return;
        }
        const DaySchedule& day = strip_->schedule();
        previewButton_->setText(stopText);
        player_.play(day.start, day.end);
    });

    connect(state_, &settings::AppState::objectWillChange, &refreshSoon_, &CoalescedCall::request);
    connect(editor_, &settings::DisplaySettingsEditor::editTargetIdChanged, &refreshSoon_,
            &CoalescedCall::request);
    connect(editor_, &settings::DisplaySettingsEditor::connectedDisplaysChanged, &refreshSoon_,
            &CoalescedCall::request);
    refresh();
}

void DayStripPanel::refresh() {
    const Instant now = now_();
    const QDate today = platform::toDateTime(now).toLocalTime().date();
    strip_->setSchedule(sampleDay(dayScheduleInput(*state_, editor_->effectiveSettings(), today, now)));
    strip_->setNow(now);
    if (!previewing_ && !strip_->hasFocus())
        setCaption(sunCaption(strip_->schedule()));
}

void DayStripPanel::setCaption(const QString& text) {
    caption_->setText(text);
    caption_->setToolTip(text);
}

void DayStripPanel::showInstant(Instant at) {
    previewing_ = true;
    strip_->setPlayhead(at);
    const double kelvin = strip_->schedule().kelvinAt(at);
    setCaption(dayStrip::hoverText(strip_->schedule(), at).replace('\n', " · "));
    if (preview_)
        preview_(kelvin);
}

void DayStripPanel::endPreview() {
    previewButton_->setText(previewText);
    if (!previewing_)
        return;
    previewing_ = false;
    strip_->setPlayhead(std::nullopt);
    setCaption(sunCaption(strip_->schedule()));
    if (preview_)
        preview_(std::nullopt);
}

void DayStripPanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh();
}

void DayStripPanel::hideEvent(QHideEvent* event) {
    player_.stop();
    endPreview();
    QWidget::hideEvent(event);
}

} // namespace tintwell::ui
